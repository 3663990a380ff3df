#pragma once
// Test classes of the action-object, container and table tests: action
// objects of both link styles, an action container with a link, a table
// of simple cells, and a fixture with them registered beside the model's
// test classes.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/drawable/ActionObj.h"
#include "core/drawable/CustomTable.h"
#include "core/drawable/LinkableContnr.h"
#include "core/drawable/RepreContnr.h"
#include "core/model/BaseWindow.h"
#include "platform/graphics/Bitmap.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test::act {

// Records the rectangles invalidated on the page window.
class TRecordingWindow : public TBaseWindow {
public:
  void Invalidate(const TRect &rect, bool) override { Rects.push_back(rect); }
  TCanvas *Canvas() override { return nullptr; }
  std::vector<TRect> Rects;
};

// The parameters of the action test objects: black line, width 1.
TObjParam ActionParam(const QString &aKind);

// A single-link action "テスト単動作" with the action maker and link.
class TTestSingleAct : public TSingleLinkAction {
  LUMORA_OBJECT(TTestSingleAct, TSingleLinkAction)
public:
  static TObjInfo GetObjInfo();
  void CreateMode(TSysMode aMode) override;

protected:
  TTestSingleAct() : TSingleLinkAction(ActionParam(QStringLiteral("テスト単動作"))) {}
};

// A link to any number of objects.
class TTestMultiLink : public TMultiLink {
public:
  using TMultiLink::TMultiLink;
  bool CanLink(TCommonObj *aObj) override { return aObj != nullptr; }
};

// A multi-link action "テスト複動作" that stores its action record before the
// targets, as the sprite and flip-book objects do.
class TTestMultiAct : public TMultiLinkAction {
  LUMORA_OBJECT(TTestMultiAct, TMultiLinkAction)
public:
  static TObjInfo GetObjInfo();
  void CreateMode(TSysMode aMode) override;
  void SaveOption(TMetaStream &aStream) override;
  void LoadOption(TMetaStream &aStream) override;

protected:
  TTestMultiAct() : TMultiLinkAction(ActionParam(QStringLiteral("テスト複動作"))) {}
};

// An action container "テストトレイ" that makes its link, as the trays do.
class TTestTray : public TActContnr {
  LUMORA_OBJECT(TTestTray, TActContnr)
public:
  static TObjInfo GetObjInfo();

protected:
  TTestTray();
};

// A table cell "テストセル": a rectangle in its face colour that keeps its
// value ("固有値") and stores it in its option block. Logs "<name>=<value>"
// into gLog when its value is set.
class TTestCell : public TRepreLeaf {
  LUMORA_OBJECT(TTestCell, TRepreLeaf)
public:
  static TObjInfo GetObjInfo();
  static inline int Alive = 0;
  ~TTestCell() override { --Alive; }

  QString CellValue;
  // 1: copies fail (null); 2: copying raises.
  int CopyFault = 0;

  void CreateMode(TSysMode aMode) override;
  bool ICan(TActKind aTask) override { return aTask == atShow; }
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  void SaveOption(TMetaStream &aStream) override;
  void LoadOption(TMetaStream &aStream) override;
  std::unique_ptr<TCommonObj> CopySelf(int64_t aId) override;
  using TRepreLeaf::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  void DrawCenterCross(TCanvas &) override {}
  void ReMake() override;
  void ZoomPolygon(long double aRate) override;
  bool TakeColor(TPoint, TColor pColor, bool &pMore) override;
  // Takes the rectangle as its polygon and bounds.
  void Place(const TRect &aRect);

protected:
  TTestCell();
};

// A table "テスト表" of kCellW x kCellH cells. Its polygon: the four corners,
// the middles of the left and right sides, then the column borders along
// the top (ColCount + 1 points from index 6), so that Param.Grabs =
// ColCount + 7 points.
class TTestTable : public TCustomTable {
  LUMORA_OBJECT(TTestTable, TCustomTable)
public:
  static constexpr int kCellW = 30;
  static constexpr int kCellH = 20;
  static TObjInfo GetObjInfo();
  static inline int Alive = 0;
  ~TTestTable() override { --Alive; }

  // The column counts ReLayout was called with.
  std::vector<int> ReLayouts;

  std::unique_ptr<TCommonObj> NewCell() override;
  void ReLayout(int aColCount) override;
  void CellRect(TCommonObj *aCell, TRect &aRect) override;
  double RowHeight(std::span<const TRealPoint>) override { return kCellH; }
  void DrawRules(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  void SetColCount(int aCount) override;
  void SetRowCount(int aCount) override;
  void LayoutCells() override;
  using TCustomTable::DrawObj;
  // Pen and brush from the parameters, the frame rectangle, the rules.
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;

  // aCols x aRows cells (aCells of them when given) at aOrigin, valued
  // "r<row>c<col>" (0-based).
  void Build(int aCols, int aRows, TRealPoint aOrigin = {10, 10}, int aCells = -1);
  // The frame for the current column count and rows at the current origin.
  void RebuildFrame();

protected:
  TTestTable();
};

// A drawable container "テスト容器" whose pool only refers to its entries.
class TTestHolder : public TRepreContnr {
  LUMORA_OBJECT(TTestHolder, TRepreContnr)
public:
  static TObjInfo GetObjInfo();
  void CreateMode(TSysMode aMode) override;
  using TRepreContnr::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;

protected:
  TTestHolder();
};

// A generic container "テスト一括" (it owns its children).
class TTestExContnr : public TExContnr {
  LUMORA_OBJECT(TTestExContnr, TExContnr)
public:
  static TObjInfo GetObjInfo();
  using TExContnr::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}

protected:
  TTestExContnr();
};

// Kinds the links test against: a conductor, the original input (which a
// table may not link even though it carries otConductor here), an object
// that acts by its class (awCustom), and an animator (awAnimate).
LUMORA_TEST_FIGURE(TTestConductor, "伝送路", otSurface, otConductor)
LUMORA_TEST_FIGURE(TTestOrigInput, "オリジ入力", otSurface, otConductor)

class TTestCustomActor : public TTestFigure {
  LUMORA_OBJECT(TTestCustomActor, TTestFigure)
public:
  static TObjInfo GetObjInfo();

protected:
  TTestCustomActor() : TTestFigure(DefaultParam(QStringLiteral("テスト独自"))) {}
};

// An animator "テスト動画": it lists objects of its page (awAnimate).
class TTestAnimator : public TTestListGroup {
  LUMORA_OBJECT(TTestAnimator, TTestListGroup)
public:
  static TObjInfo GetObjInfo();
};

// The model's fixture with these classes registered too.
class ActTest : public ModelTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // A white bitmap to draw on; its canvas has a yellow solid brush.
  static std::unique_ptr<TBitmap> WhiteBitmap(int aWidth, int aHeight);
};

inline constexpr TColor kYellow = 0x00FFFF;
inline constexpr TColor kWhite = 0xFFFFFF;

} // namespace lumora::test::act

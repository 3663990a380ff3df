#pragma once
// Figures and stamps of the books the tests, the benchmarks and the fuzz
// targets make and read: the tests' four-cornered figure "テスト矩形" and its
// kinds, the same kind drawn plainly (no logging, no catalogue number or
// defaults) as the fuzz targets read it, and the picture stamp "テスト印影".
#include <QByteArray>
#include <QString>
#include <span>
#include <vector>

#include "core/drawable/DrawExe.h"
#include "core/drawable/DrawObj.h"
#include "core/pictures/CustomStamp.h"
#include "tests/kinds/TestLog.h"

namespace lumora::test {

// The polygon's points on whole pixels.
std::vector<TPoint> ToPoints(std::span<const TRealPoint> aPolygon);

// Colours of the test figures ($00BBGGRR).
inline constexpr TColor kFace = 0x0000FF; // red
inline constexpr TColor kLine = 0xFF0000; // blue

// Logs "exec <name>" into gLog on every Exec before running it.
class TLogDrawExe : public TDrawExe {
public:
  using TDrawExe::TDrawExe;
  bool Exec(TCircuit &aCircuit, TCommonObj *aAction) override;
};

// A four-cornered figure "テスト矩形": one grab per corner, filled in kFace
// with a kLine outline. Logs the shift states of the shifted moves.
class TTestRect : public TDrawObj {
  LUMORA_OBJECT(TTestRect, TDrawObj)
public:
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam(const QString &aKind);

  void CreateMode(TSysMode aMode) override;
  using TDrawObj::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &) override { return true; }
  // Grip pNo moves by the offset; the other corners stay.
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int) override {
    TGrabRect result = pDragRect;
    if (pNo >= 0 && size_t(pNo) < result.size())
      result[size_t(pNo)] = AddRealPoint(result[size_t(pNo)], PointToRealPoint(pOffset));
    return result;
  }
  using TDrawObj::Move;
  void Move(TRealPoint aOffset, TShiftState aShift) override;
  void SetId(int64_t aId) { FId = aId; }
  // The figure takes the points (one grab each) and is re-made.
  void Place(std::vector<TRealPoint> aPoints);

  std::vector<TShiftState> ShiftMoves;

protected:
  TTestRect() : TTestRect(DefaultParam(QStringLiteral("テスト矩形"))) {}
  explicit TTestRect(const TObjParam &aParam);
};

// Kinds of the same figure with other catalogue records.
#define LUMORA_DRAW_TEST_KIND(Class, Kind, Form, Act)                                              \
  class Class : public TTestRect {                                                                 \
    LUMORA_OBJECT(Class, TTestRect)                                                                \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TTestRect::GetObjInfo();                                                     \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = TFormType Form;                                                              \
      info.ActType = TActType Act;                                                                 \
      info.Origin64 = 4;                                                                           \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() : TTestRect(DefaultParam(QStringLiteral(Kind))) {}                                     \
  };

// An action object "テスト動作": its catalogue record does not show it, so a
// figure's click link may take it as its target.
class TClickTarget : public TTestRect {
  LUMORA_OBJECT(TClickTarget, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト動作");
    info.ActType = {atAction};
    return info;
  }

protected:
  TClickTarget() : TTestRect(DefaultParam(QStringLiteral("テスト動作"))) {}
};

// "テスト矩形" as its record alone makes it: a filled polygon, outside the
// palette, with no defaults, no logging and no executor of its own.
class TPlainRect : public TDrawObj {
  LUMORA_OBJECT(TPlainRect, TDrawObj)
public:
  static TObjInfo GetObjInfo();
  using TDrawObj::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;

protected:
  TPlainRect() = default;
};

// Kinds of the plain figure with other names and form types.
#define LUMORA_PLAIN_KIND(Class, Kind, Form)                                                       \
  class Class : public TPlainRect {                                                                \
    LUMORA_OBJECT(Class, TPlainRect)                                                               \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TPlainRect::GetObjInfo();                                                    \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = TFormType Form;                                                              \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() = default;                                                                             \
  };

// A stamp "テスト印影" whose angle accessors are the drawable ones: its
// picture comes from the stamp store by Param.Text.
class TTestPictureStamp : public TCustomStamp {
  LUMORA_OBJECT(TTestPictureStamp, TCustomStamp)
public:
  static TObjInfo GetObjInfo();
  double GetObjAngle() override { return TDrawObj::GetObjAngle(); }
  void SetObjAngle(double aAngle) override { TDrawObj::SetObjAngle(aAngle); }

protected:
  TTestPictureStamp();
};

// The stamp the benchmarks spread over a page ("ベンチ印影"), turnable, with
// eight grabs.
class TBenchStamp : public TCustomStamp {
  LUMORA_OBJECT(TBenchStamp, TCustomStamp)
public:
  static TObjInfo GetObjInfo();
  double GetObjAngle() override { return TDrawObj::GetObjAngle(); }
  void SetObjAngle(double aAngle) override { TDrawObj::SetObjAngle(aAngle); }

protected:
  TBenchStamp();
};

// A PNG picture of 96 x 96 for it: a red disc with a blue bar on a
// transparent ground.
QByteArray BenchStampPng();

} // namespace lumora::test

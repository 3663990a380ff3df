#pragma once
// The print-layout object "印刷設定": a system object kept in a page's
// holder of system objects (the common page's holder makes one), which
// carries the book's N-up print settings in the book file. On the print
// setup board it is the sheet with its grid of page cells; that board and
// its drawing come with the print setup window. Without it the object draws
// nothing and does not re-make itself.
//
// One class serves both modes (its form type holds otBoth).
//
// Stored form: the drawable object's record (polygon, grab block, the
// 32-byte option block), then, when the page setup has been done, the
// settings record (TPrintSpecRecord, 46 bytes). Objects whose record
// version is below 2.2 hold the older 70-byte settings record instead; it
// is read and written back in the current form.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/drawable/DrawObj.h"
#include "core/drawable/MakeObj.h"

namespace lumora {

class TMetaStream;

// The stored print settings (little-endian, no length prefix). Lengths are
// millimetres.
struct TPrintSpecRecord {
  static constexpr int kSize = 46;
  // The older form: the six lengths as Doubles.
  static constexpr int kOldSize = 70;

  int32_t 用紙 = 0; // paper: 0 "A4横", 1 "A4縦", 2 "A3横", 3 "A3縦"
  int32_t 横頁数 = 2;
  int32_t 縦頁数 = 2;
  float 余白左 = 0;
  float 左右間隔 = 0;
  float 余白右 = 0;
  float 余白上 = 0;
  float 上下間隔 = 0;
  float 余白下 = 0;
  int32_t 開始頁 = 1;
  int32_t 終了頁 = 1;
  bool 枠表示 = false;
  bool 頁NO表示 = false;

  void Write(TMetaStream &aStream) const;
  // False, with nothing read, when fewer than kSize bytes remain.
  bool Read(TMetaStream &aStream);
  // The older form; one further byte is skipped when the stream holds more.
  // False, with nothing read, when fewer than kOldSize bytes remain.
  bool ReadOld(TMetaStream &aStream);

  bool operator==(const TPrintSpecRecord &) const = default;
};

class TPrtInf : public TDrawObj {
  LUMORA_OBJECT(TPrtInf, TDrawObj)
public:
  static constexpr const char16_t *kKindName = u"印刷設定";
  // Answers (as the command's result) whether the page setup was done.
  static constexpr const char16_t *kPageSetCommand = u"頁設定済";
  // The record version written at least.
  static constexpr float kPrtVersion = 2.2f;

  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // The sheet of 792 x 560 with its margin and cell lines, in point order.
  static std::vector<TRealPoint> DefaultPolygon();

  // The maker TPrtMake, in both modes; no executor.
  void CreateMode(TSysMode aMode) override;
  // The drawable options, then the settings record when one is stored.
  void LoadOption(TMetaStream &aStream) override;
  // The drawable options, then the settings record while the page setup is
  // done.
  void SaveOption(TMetaStream &aStream) override;
  // "頁設定済": the answer is whether the page setup was done; other
  // commands False.
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  // The larger of the base record version, the version read and 2.2.
  float GetVersion() const override;
  // The board picture needs the print setup window: nothing here.
  void ReMake() override {}
  using TDrawObj::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}
  // 12 (also stored as the grab count).
  int MinGrabs() override;
  // No opposite grab.
  int OppositeGrab(int) override { return -1; }
  // 11: the anchor of a creation drag.
  int CreateAnchorGrab() override { return 11; }
  // Mirroring does nothing.
  void ReverseObj() override {}

  // The settings read with the book (none when the setup was never done).
  const std::optional<TPrintSpecRecord> &Spec() const { return FSpec; }
  // Takes settings: the page setup counts as done.
  void SetSpec(const TPrintSpecRecord &aSpec);
  bool PageSetDone() const { return F頁設定済; }

  bool F指定範囲 = false;
  int32_t F開始頁 = 0;
  int32_t F終了頁 = 0;
  int32_t F横頁数 = 0;
  int32_t F縦頁数 = 0;
  double F余白左 = 0;
  double F左右間隔 = 0;
  double F余白上 = 0;
  double F上下間隔 = 0;
  int32_t Fプレビュ頁 = 1;

protected:
  TPrtInf();
  explicit TPrtInf(const TObjParam &pParam);

private:
  bool F頁設定済 = false;
  std::optional<TPrintSpecRecord> FSpec;
};

// The maker of the print-layout object.
class TPrtMake : public TDrawMake {
public:
  using TDrawMake::TDrawMake;
  // The bounds from the polygon; the link centre and the rotation centre
  // are the centroid of the four sheet corners.
  void SetCenter() override;
};

} // namespace lumora

#pragma once
// The placeholder "仮オブジェクト": what an object record of a kind that no
// class of the current mode bears becomes. In author mode it shows a framed
// note naming the stored kind ("「kind」　は", "サポートされて", "いません");
// in presentation mode it draws nothing.
//
// It keeps the whole record it was read from. Saved again, it writes that
// record back byte for byte, so that opening and saving a book never loses
// an object this program cannot show; when its id, name or parameters
// changed meanwhile (a copy renamed, say), the record's common part is
// written anew and the unknown class's payload after it is kept as read.
// A placeholder made by code (never read) writes its own record form.
//
// It also stands for an object of a known kind whose entry could not be
// read (a damaged record): it then keeps the whole entry, a composite's
// child entries included, writes it back unchanged and its note says the
// object is damaged instead of unsupported.
#include <QByteArray>

#include "core/drawable/DrawObj.h"

namespace lumora {

class TDummyDrawObj : public TDrawObj, public IUnreadEntry {
  LUMORA_OBJECT(TDummyDrawObj, TDrawObj)
public:
  static constexpr const char16_t *kKindName = u"仮オブジェクト";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // (0, 0), (113, 0), (113, 50), (0, 50).
  static std::vector<TRealPoint> FixedPolygon();

  // The maker TDrawMake; no executor in either mode.
  void CreateMode(TSysMode aMode) override;
  // Keeps the record's bytes, then reads its common part; the payload and
  // options of the unknown kind are not read.
  void LoadFromMStream(TMetaStream &aStream) override;
  // The record kept when reading (see above), else the own form.
  void SaveToMStream(TMetaStream &aStream) override;
  // The record, then the child entries kept behind it (if any).
  void SaveToStream(TStream &aStream) override;
  // Takes over a damaged entry: reads the record's common part (ignoring
  // errors) and keeps the bytes behind the record.
  void KeepUnreadEntry(const QByteArray &aEntry, qsizetype aRecordBytes) override;
  // Whether it stands for a damaged entry of a known kind.
  bool Unreadable() const { return FUnreadable; }
  void ReadPayload(TMetaStream &aStream) override;
  void LoadOption(TMetaStream &aStream) override;

  using TDrawObj::DrawObj;
  // The framed note at the bounds' top-left corner (author mode only).
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  // Grabs := the polygon's point count, a new grab record, the maker's
  // SetCenter, re-make and invalidate. (A kept record is written with the
  // grab count it was read with, which its stored points follow.)
  void ReMake() override;
  // Inside the object's bounds.
  bool PtInObj(TPoint pPoint) override;
  // A placeholder cannot be reshaped.
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &) override { return false; }
  TGrabRect FormatGrab(int, TPoint, const TGrabRect &pDragRect, int) override { return pDragRect; }
  void DrawDragImage(TCanvas &, const TGrabRect &) override {}
  // It links nothing: the unknown kind's links stay in its kept payload.
  void UpdateLink(TCommonObj *) override {}
  void UpdateLinkId() override {}
  void SetLinkedId(int64_t) override {}

  // The record read (size field included); empty for a placeholder made by
  // code.
  const QByteArray &StoredRecord() const { return FRecord; }

protected:
  TDummyDrawObj();
  explicit TDummyDrawObj(const TObjParam &pParam);

private:
  // The record read, from its size field on, and the offset of the bytes
  // behind the stored name (the payload of the unknown kind).
  QByteArray FRecord;
  int64_t FTailOffset = 0;
  // The common part as read, to tell whether it changed since.
  TObjParam FReadParam;
  int64_t FReadId = 0;
  QString FReadName;
  float FReadVersion = 0;
  // The bytes behind the record of a damaged composite's entry.
  QByteArray FTrailing;
  bool FUnreadable = false;
};

} // namespace lumora

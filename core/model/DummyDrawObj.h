#pragma once
// The placeholder "仮オブジェクト": what an object record of a kind that no
// class of the current mode bears becomes. It keeps the record's common
// part (version, parameters with the stored kind name, id, name) and skips
// the unknown class's payload by the stored size; saved again, it writes its
// own record form.
#include "core/model/LeafObj.h"

namespace lumora {

class TDummyDrawObj : public TRepreLeaf {
  LUMORA_OBJECT(TDummyDrawObj, TRepreLeaf)
public:
  static constexpr const char16_t *kKindName = u"仮オブジェクト";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // (0, 0), (113, 0), (113, 50), (0, 50).
  static std::vector<TRealPoint> FixedPolygon();

  // The payload of the unknown kind is not read: the reader of the
  // enclosing composite skips it by the record's size.
  void ReadPayload(TMetaStream &aStream) override;
  // Grabs := the polygon's point count, a new grab record, then the bounds.
  void ReMake() override;
  // Inside the object's bounds.
  bool PtInObj(TPoint pPoint) override;
  // A placeholder cannot be reshaped.
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &) override { return false; }
  TGrabRect FormatGrab(int, TPoint, const TGrabRect &pDragRect, int) override { return pDragRect; }
  void DrawDragImage(TCanvas &, const TGrabRect &) override {}
  void UpdateLink(TCommonObj *) override {}

protected:
  TDummyDrawObj();
  explicit TDummyDrawObj(const TObjParam &pParam);
};

} // namespace lumora

#pragma once
// The null object "空OBJ", which starts every execution circuit at the
// click point, and the proxy that stands for another object.
#include "core/model/CommonObj.h"

namespace lumora {

class TNullObj : public TCommonObj {
  LUMORA_OBJECT(TNullObj, TCommonObj)
public:
  static constexpr const char16_t *kKindName = u"空OBJ";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();

  TLink *GetLink() override { return nullptr; }
  TCommonObj *GetLinkedObj() override { return nullptr; }
  void SetLinkedObj(TCommonObj *) override {}
  using TCommonObj::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}
  void Move(TRealPoint) override {}
  void Move(TRealPoint, TShiftState) override {}
  void Move(TRealPoint, TObjList *, bool) override {}
  void ReMake() override {}
  void Paint(TCanvas &) override {}
  void Paint(TCanvas &, TCommonObj *) override {}
  void Scaling(double, TRealPoint) override {}
  TCommonObj *Search(TRealPoint, TSearch) override { return nullptr; }
  bool TakeBackImage(TPoint, TCanvas &, TCommonObj *, double) override { return false; }
  void UpdateLink(TCommonObj *) override {}
  void ZoomDraw(TCanvas &, double, int, int) override {}

protected:
  TNullObj();
  // The null object at a point: its rotation centre.
  explicit TNullObj(TPoint aPos);
  // Copies the record and sets ObjName to "空OBJ"; bounds (0, 0, 0, 0), no
  // grab record, no companions.
  explicit TNullObj(const TObjParam &aParam);
};

// Stands for another object (not owned); descendants forward operations.
class TProxy : public TCommonObj {
  LUMORA_ABSTRACT_OBJECT(TProxy, TCommonObj)
public:
  TCommonObj *OneSelf() const { return FSelf; }
  void SetOneSelf(TCommonObj *aSelf) { FSelf = aSelf; }
  // Passed to the object stood for.
  void CreateMode(TSysMode aMode) override;

protected:
  TProxy() = default;

  TCommonObj *FSelf = nullptr;
};

} // namespace lumora

#pragma once
// Executors of drawable objects in presentation mode. A click starts a run
// (TExe::ExecRoot): a circuit of visited objects whose first entry is a null
// object at the click point, passed along the objects' links. An action
// object hands its action record to the executors of its targets; TDrawExe
// carries it out on its own object (show, hide, toggle, move, rotate about
// a pin, mirror, turn upside down, scale) and passes the run on to its
// linked object while the circuit rules allow.
#include "core/params/ActParam.h"
#include "core/model/Exe.h"

namespace lumora {

// The executor of objects that can be turned, mirrored and scaled by an
// action record.
class TDrawingExe : public TExe {
public:
  using TExe::TExe;

  virtual bool ActRotate(const TActParam &aParam) = 0;
  virtual bool ActScale(double aRate) = 0;
  virtual bool ActMirror() = 0;
  virtual bool ActTurnUpside() = 0;
};

class TDrawExe : public TDrawingExe {
public:
  explicit TDrawExe(TCommonObj *aSelf);

  // The run goes on past the object (False, circuit kept) only when a
  // circuit exists, the circuit starts with a null object, the object is
  // not in it yet and it has a linked object; with an action passed and
  // more than one entry in the circuit, that linked object must be a
  // conductor (otConductor) or a "コピー＆複数ペースト". Otherwise True, and
  // the circuit is freed.
  bool IsCircuitEnd(TCircuit &aCircuit, TCommonObj *aAction) override;
  // DoAct(aAction) when an action is given; then, unless the circuit ends
  // here, the object joins the circuit and the linked object's executor
  // runs. False when the run ends here.
  bool Exec(TCircuit &aCircuit, TCommonObj *aAction) override;

  // Rotates by aParam.Angle about the rotation centre (PinCenter); False
  // when two or more pins hold the object. A tracing linked object is
  // turned along.
  bool ActRotate(const TActParam &aParam) override;
  // Scales by aRate about BCenter; False for an object that is no drawable
  // leaf.
  bool ActScale(double aRate) override;
  // Mirror left-right / turn upside down; False for an object that is no
  // drawable leaf.
  bool ActMirror() override;
  bool ActTurnUpside() override;

  // Carries out the action record of aClient when it is an action object;
  // any other client does nothing.
  virtual void DoAct(TCommonObj *aClient);
  // Moves the object by ActValue.MovePos, or, with exPosition, so that its
  // first polygon point lands on MovePos.
  virtual void Move(const TActParam &ActValue);
  // Shows, hides or toggles (exShow, exHide, exAlt) the object; True.
  virtual bool OnOff(TExeType pExec);
  // The rotation centre: the object's RCenter, or that of the last push pin
  // ("留針") in its pool. False when two or more pins hold it.
  virtual bool PinCenter(TRealPoint &aCenter);
  // Nothing here.
  virtual void StartDrag() {}
  virtual void EndDrag() {}

  // Adds pOffset to every polygon point and re-records the picture (no
  // invalidation).
  void Move(TRealPoint pOffset);

protected:
  // Invalidates the object's bounds grown by Param.Width / 2 + 0.1 (half to
  // even), shifted by the grip control's origin, without erasing.
  void InvalidateArea();
  // The linked object when it traces (awTrace); null otherwise.
  TCommonObj *Tracer();
  // Turns the tracer along a rotation of aAngle about aCenter in steps of
  // pi/32.
  void RotateTracer(TCommonObj *aTracer, double aAngle, TRealPoint aCenter);
};

} // namespace lumora

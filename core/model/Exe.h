#pragma once
// The presentation-side companion of a page object: runs the object as part
// of an execution chain (circuit). An object makes its executor in
// presentation mode (CreateMode), owns it and frees it.
#include <functional>
#include <memory>

#include "core/model/CustomMaker.h"
#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TExe;

// Called with the executor when a run that finishes later has ended.
using TExeEvent = std::function<void(TExe &aSender)>;
// The objects of one run, in the order they joined it; owns none of them.
// An executor may end the circuit by freeing it (resetting the pointer).
using TCircuit = std::unique_ptr<TObjList>;

class TExe {
public:
  explicit TExe(TCommonObj *aSelf);
  virtual ~TExe();
  TExe(const TExe &) = delete;
  TExe &operator=(const TExe &) = delete;

  // Draws the owner: through the ExtDraw hook when set, else DrawObj.
  virtual void DrawSelf(TCanvas &aCanvas);
  // Whether a chain ends at this object; true in the base.
  virtual bool IsCircuitEnd(TCircuit &aCircuit, TCommonObj *aAction);
  // The base keeps no end handler; executors that finish later do.
  virtual void SetOnEndEx(TExeEvent aValue);
  // Starts a run at a click point: a circuit whose first entry is a null
  // object at aPos, then Exec(circuit, null).
  virtual void ExecRoot(TPoint aPos);
  // Runs the owner as part of aCircuit with the acting object aAction; may
  // free the circuit.
  virtual bool Exec(TCircuit &aCircuit, TCommonObj *aAction) = 0;

  TCommonObj *Owner() const { return FSelf; }
  const TExeEvent &OnEndEx() const { return FOnEndEx; }
  const TExtDraw &ExtDraw() const { return FExtDraw; }
  void SetExtDraw(TExtDraw aExtDraw) { FExtDraw = std::move(aExtDraw); }

protected:
  TExtDraw FExtDraw;
  TCommonObj *FSelf = nullptr;
  TMakeInfo *FInfo = nullptr;
  TExeEvent FOnEndEx;
};

// The last object of the circuit (searching from its end) that answers
// ICan(aTask); an object that raises while answering counts as not
// capable. Null when none.
TCommonObj *FindCapableObj(const TObjList &aCircuit, TActKind aTask);

} // namespace lumora

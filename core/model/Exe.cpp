#include "core/model/Exe.h"

#include "core/model/CommonObj.h"
#include "core/model/MakeInfo.h"
#include "core/model/NullObj.h"

namespace lumora {

TExe::TExe(TCommonObj *aSelf) : FSelf(aSelf), FInfo(&TMakeInfo2::Get()) {}

TExe::~TExe() = default;

void TExe::DrawSelf(TCanvas &aCanvas) {
  if (FExtDraw)
    FExtDraw(aCanvas, FSelf);
  else if (FSelf)
    FSelf->DrawObj(aCanvas);
}

bool TExe::IsCircuitEnd(TCircuit &, TCommonObj *) {
  return true;
}

void TExe::SetOnEndEx(TExeEvent) {}

void TExe::ExecRoot(TPoint aPos) {
  // Exec may free the circuit; the null object is freed here in any case.
  std::unique_ptr<TNullObj> start = NewObject<TNullObj>(aPos);
  TCircuit circuit = std::make_unique<TObjList>();
  circuit->push_back(start.get());
  Exec(circuit, nullptr);
}

TCommonObj *FindCapableObj(const TObjList &aCircuit, TActKind aTask) {
  for (auto it = aCircuit.rbegin(); it != aCircuit.rend(); ++it) {
    if (!*it) continue;
    try {
      if ((*it)->ICan(aTask)) return *it;
    } catch (const std::exception &) {
      // An object that fails to answer counts as not capable.
    }
  }
  return nullptr;
}

} // namespace lumora

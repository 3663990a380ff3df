#include "core/model/CoreContext.h"

#include "platform/system/Exception.h"

namespace lumora {

namespace {
std::unique_ptr<TCoreContext> &Instance() {
  static std::unique_ptr<TCoreContext> instance;
  return instance;
}
} // namespace

TCoreContext::TCoreContext() : makeInfo_(std::make_unique<TMakeInfo2>()) {}

void TCoreContext::Start() {
  Reset();
  Instance().reset(new TCoreContext());
}

void TCoreContext::Reset() {
  auto &instance = Instance();
  if (!instance) return;
  instance->makeInfo_.reset();
  instance.reset();
}

bool TCoreContext::Started() {
  return Instance() != nullptr;
}

TCoreContext &TCoreContext::Get() {
  auto &instance = Instance();
  if (!instance) throw Exception(QStringLiteral("The object model has not been started"));
  return *instance;
}

TMakeInfo2 &TMakeInfo2::Get() {
  return TCoreContext::Get().MakeInfo();
}

} // namespace lumora

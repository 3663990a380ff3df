#include "core/model/CoreContext.h"

#include "core/fonts/MetaFont.h"
#include "core/geometry/Geometry.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {
// The one root of the program-wide state.
std::unique_ptr<TCoreContext> &Instance() {
  static std::unique_ptr<TCoreContext> instance;
  return instance;
}
} // namespace

TCoreContext::TCoreContext() : makeInfo_(std::make_unique<TMakeInfo2>()) {}

TCoreContext::~TCoreContext() {
  FreeStores();
}

void TCoreContext::Start() {
  Reset();
  Instance().reset(new TCoreContext());
}

void TCoreContext::Reset() {
  auto &instance = Instance();
  if (!instance) return;
  // The stores may still reach the context (and the stores made before
  // them) while they go, so it stays in place until they are gone.
  instance->FreeStores();
  instance->makeInfo_.reset();
  instance.reset();
  // The settings the layers below keep go back to their defaults, so that
  // nothing of one run (or test) reaches the next.
  SetPixelsPerInch(kDefaultPixelsPerInch);
  SetMathFontName(kDefaultMathFontName);
}

bool TCoreContext::Started() {
  return Instance() != nullptr;
}

TCoreContext &TCoreContext::Get() {
  auto &instance = Instance();
  if (!instance) throw Exception(QStringLiteral("The object model has not been started"));
  return *instance;
}

TCoreContext::TStoreSlot &TCoreContext::Slot(const std::type_info &aType) {
  if (TStoreSlot *slot = FindSlot(aType)) return *slot;
  stores_.push_back({std::type_index(aType), TStorePtr(nullptr, [](void *) {})});
  return stores_.back();
}

TCoreContext::TStoreSlot *TCoreContext::FindSlot(const std::type_info &aType) {
  for (TStoreSlot &slot : stores_)
    if (slot.Type == aType) return &slot;
  return nullptr;
}

const TCoreContext::TStoreSlot *TCoreContext::FindSlot(const std::type_info &aType) const {
  for (const TStoreSlot &slot : stores_)
    if (slot.Type == aType) return &slot;
  return nullptr;
}

void TCoreContext::MissingStore(const std::type_info &aType) {
  throw Exception(QStringLiteral("The program-wide store %1 has not been started")
                      .arg(QString::fromLatin1(aType.name())));
}

void TCoreContext::FreeStores() {
  while (!stores_.empty()) {
    stores_.back().Object.reset();
    stores_.pop_back();
  }
}

TMakeInfo2 &TMakeInfo2::Get() {
  return TCoreContext::Get().MakeInfo();
}

} // namespace lumora

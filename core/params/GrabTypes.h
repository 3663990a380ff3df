#pragma once
// The forms of an object's grab handles, one per handle.
#include <cstdint>
#include <vector>

namespace lumora {

enum class TGrabType : uint8_t {
  gfNon,
  gfRect,
  gfOwn,
  gfCircle,
  gfFrame,
  gfCross,
  gfCustom,
  gfCenter
};

// Stored grab types above this are corrupt data.
inline constexpr uint8_t kLastGrabType = uint8_t(TGrabType::gfCenter);

using TGrabForm = std::vector<TGrabType>;

} // namespace lumora

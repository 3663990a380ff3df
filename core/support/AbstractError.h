#pragma once
// The error an abstract operation raises when a class leaves it
// unimplemented. Base classes of page objects declare many operations that
// only some descendants give; the others must never be called on them.
#include "platform/system/Exception.h"

namespace lumora {

class EAbstractError : public Exception {
  using Exception::Exception;
};

// Raises EAbstractError naming the operation ("Abstract Error: <operation>").
[[noreturn]] void AbstractCall(const char *operation);

} // namespace lumora

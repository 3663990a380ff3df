#include "core/support/AbstractError.h"

namespace lumora {

void AbstractCall(const char *operation) {
  throw EAbstractError(QStringLiteral("Abstract Error: ") + QString::fromLatin1(operation));
}

} // namespace lumora

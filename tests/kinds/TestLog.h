#pragma once
// The log the test kinds write what they did into.
#include <QStringList>

namespace lumora::test {

// Records paint and search order by object name.
inline QStringList gLog;

} // namespace lumora::test

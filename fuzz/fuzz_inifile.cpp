// Fuzzes the settings-file reader: any bytes (UTF-8 or not) must give an ini
// whose text reads back to the same sections, keys and values, and a value
// written into it must read back as written (trimmed, on one line).
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "platform/system/IniFile.h"

using namespace lumora;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const QString &FuzzFile() {
  static const QString name =
      QDir::temp().filePath(QStringLiteral("fuzz_inifile_%1.ini").arg(::getpid()));
  return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  {
    QFile file(FuzzFile());
    if (!file.open(QIODevice::WriteOnly)) return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
  }
  const TIniFile ini(FuzzFile());
  TIniFile again;
  again.SetText(ini.Text());
  Check(again.Text() == ini.Text());
  const QStringList sections = ini.ReadSections();
  Check(again.ReadSections() == sections);
  for (const QString &section : sections) {
    const QStringList keys = ini.ReadSection(section);
    Check(again.ReadSection(section) == keys);
    for (const QString &key : keys)
      Check(again.ReadString(section, key, QStringLiteral("\x01")) ==
            ini.ReadString(section, key, QString()));
  }
  const QString value = QStringLiteral(" v=\n1 ");
  again.WriteString(QStringLiteral("節"), QStringLiteral("キー"), value);
  TIniFile third;
  third.SetText(again.Text());
  Check(third.ReadString(QStringLiteral("節"), QStringLiteral("キー"), QString()) ==
        QStringLiteral("v= 1"));
  return 0;
}

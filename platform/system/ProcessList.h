#pragma once
// The executable file names of the running processes, for the check whether
// another copy of the program runs. The program-wide list reads /proc; tests
// install their own.
#include <QString>
#include <QStringList>
#include <memory>

namespace lumora {

class IProcessList {
public:
  virtual ~IProcessList() = default;
  // One bare executable file name per running process (no folder).
  virtual QStringList ExeNames() const = 0;
};

// Reads /proc: the file name of /proc/<pid>/exe, or /proc/<pid>/comm where
// the link cannot be read (processes of other users, kernel threads).
class TProcProcessList : public IProcessList {
public:
  explicit TProcProcessList(QString procRoot = QStringLiteral("/proc"));
  QStringList ExeNames() const override;

private:
  QString procRoot_;
};

// The program-wide process list (a TProcProcessList until one is installed).
const IProcessList &ProcessList();
// Installs list as the program-wide process list; nullptr puts back the
// /proc reader.
void SetProcessList(std::unique_ptr<IProcessList> list);

} // namespace lumora

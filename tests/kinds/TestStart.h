#pragma once
// The start of the program context for the tests, the benchmarks and the
// fuzz targets, and a message box that answers without showing anything.
#include <QString>
#include <functional>

#include "core/book/CoreStart.h"
#include "core/drawable/CoreClasses.h"
#include "platform/ui/MessageBox.h"

namespace lumora::test {

// Answers every question with its default button, silently.
class TSilentBox : public IMessageBox {
public:
  TMsgResult Show(const QString &, const QString &, TMsgButtons buttons) override {
    return DefaultButton(buttons);
  }
};

// What a test program starts the program context with.
struct TTestStartup {
  // Registers every class, in its order (RegisterCoreClasses first).
  std::function<void(TObjClassList &)> RegisterClasses = RegisterCoreClasses;
  // A system state with the default paths, or with ProgramFolder (when
  // given) as the program folder.
  bool SystemState = false;
  QString ProgramFolder = {};
  // New ids never wait for the clock.
  bool NoSleep = false;
  // Every version question of a book being read is answered yes.
  bool VersionsYes = false;
  // A TSilentBox is the message box.
  bool Silent = false;
};

// The core start-up of aStartup's classes and system state, for StartCore
// or a layer's own start.
TCoreStartup CoreStartup(const TTestStartup &aStartup);
// StartCore(CoreStartup(aStartup)), then the id clock, the questions and
// the message box as aStartup asks.
void StartTestCore(const TTestStartup &aStartup);

} // namespace lumora::test

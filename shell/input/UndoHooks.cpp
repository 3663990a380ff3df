#include "shell/input/UndoHooks.h"

namespace lumora {

namespace {
IAuthorUndo *gAuthorUndo = nullptr;
IExecUndo *gExecUndo = nullptr;
} // namespace

IAuthorUndo *AuthorUndo() {
  return gAuthorUndo;
}
void SetAuthorUndo(IAuthorUndo *aUndo) {
  gAuthorUndo = aUndo;
}
IExecUndo *ExecUndo() {
  return gExecUndo;
}
void SetExecUndo(IExecUndo *aUndo) {
  gExecUndo = aUndo;
}

} // namespace lumora

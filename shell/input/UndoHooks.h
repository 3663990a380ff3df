#pragma once
// The undo stacks as the mouse states record on them: the author stack
// (entries by operator number: 1 creation, 2 deletion, 20 edit, 25 clock
// hands, 104 move) and the presentation stack's removal record. The stacks
// themselves install themselves here; without one nothing is recorded.

namespace lumora {

class TCommonObj;

class IAuthorUndo {
public:
  virtual ~IAuthorUndo() = default;
  // Records an entry of aOperator for aObj (a repeat of the top edit entry
  // is not pushed); with aPriority an edit also records the paint order.
  virtual void Add(int aOperator, TCommonObj *aObj, bool aPriority = false) = 0;
  // Withdraws the top entry when it is aOperator for aObj.
  virtual void RemoveTop(int aOperator, TCommonObj *aObj) = 0;
};

class IExecUndo {
public:
  virtual ~IExecUndo() = default;
  // Records the removal of aObj, so that undo puts it back.
  virtual void Remove(TCommonObj *aObj, bool aContinue) = 0;
};

IAuthorUndo *AuthorUndo();
void SetAuthorUndo(IAuthorUndo *aUndo);
IExecUndo *ExecUndo();
void SetExecUndo(IExecUndo *aUndo);

// Undo operator numbers the states record.
inline constexpr int kUndoCreate = 1;
inline constexpr int kUndoDelete = 2;
inline constexpr int kUndoEdit = 20;
inline constexpr int kUndoClock = 25;
inline constexpr int kUndoMove = 104;

} // namespace lumora

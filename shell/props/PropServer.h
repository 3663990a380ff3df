#pragma once
// The property box of the author page: one box at a time, for one object
// or for the objects of a multi-selection. It names the kind of what it
// shows and lets the teacher rename a single object; applying records an
// edit on the author undo stack, so the rename can be undone.
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "core/system/SysInterfaces.h"

namespace lumora {

class TCommonObj;
class TMultiTrac;

// The server behind the one property box.
class TAbPropServ : public IPropServer {
public:
  ~TAbPropServ() override = default;
  // The objects the box shows.
  virtual const std::vector<TCommonObj *> &Objects() const = 0;
};

class TPropServer : public TAbPropServ {
public:
  // Opens a box for aObj, or for the tracked objects of aTrac when it is
  // given. aObserver runs once when the box has closed, by the teacher or
  // through Close.
  static std::unique_ptr<TAbPropServ> OpenBox(TCommonObj *aObj, const TMultiTrac *aTrac,
                                              std::function<void()> aObserver);
  // The box goes (later, so that a server freed from the box's own close
  // is safe).
  ~TPropServer() override;

  bool Showing() const override;
  void Close() override;
  const std::vector<TCommonObj *> &Objects() const override { return FObjects; }
  // The box's apply: a new name for the single object.
  void Apply(const QString &aName);
  QDialog *Box() const { return FBox; }

private:
  TPropServer(std::vector<TCommonObj *> aObjects, std::function<void()> aObserver);
  void Closed();

  std::vector<TCommonObj *> FObjects;
  std::function<void()> FObserver;
  QPointer<QDialog> FBox;
  QPointer<QLineEdit> FName;
};

} // namespace lumora

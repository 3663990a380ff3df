#include "shell/props/PropServer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/model/CommonObj.h"
#include "shell/input/MultiTrac.h"
#include "shell/undo/AbUndo.h"

namespace lumora {

std::unique_ptr<TAbPropServ> TPropServer::OpenBox(TCommonObj *aObj, const TMultiTrac *aTrac,
                                                  std::function<void()> aObserver) {
  std::vector<TCommonObj *> objects;
  if (aTrac) {
    for (int i = 0; i < aTrac->Count(); ++i)
      if (TCommonObj *obj = aTrac->GetObjs(i)) objects.push_back(obj);
  } else if (aObj) {
    objects.push_back(aObj);
  }
  if (objects.empty()) return nullptr;
  return std::unique_ptr<TAbPropServ>(new TPropServer(std::move(objects), std::move(aObserver)));
}

TPropServer::TPropServer(std::vector<TCommonObj *> aObjects, std::function<void()> aObserver)
    : FObjects(std::move(aObjects)), FObserver(std::move(aObserver)) {
  auto *box = new QDialog;
  box->setAttribute(Qt::WA_DeleteOnClose, false);
  box->setWindowTitle(QStringLiteral("プロパティ"));
  auto *form = new QFormLayout(box);
  auto *buttons = new QDialogButtonBox(box);
  if (FObjects.size() == 1) {
    TCommonObj *obj = FObjects.front();
    form->addRow(QStringLiteral("種類"), new QLabel(obj->ObjInfo().Name, box));
    FName = new QLineEdit(obj->Name, box);
    form->addRow(QStringLiteral("名前"), FName);
    QPushButton *apply = buttons->addButton(QStringLiteral("適用"), QDialogButtonBox::ApplyRole);
    QObject::connect(apply, &QPushButton::clicked, box, [this] { Apply(FName->text()); });
  } else {
    form->addRow(QStringLiteral("選択"),
                 new QLabel(QStringLiteral("%1 個のオブジェクト").arg(FObjects.size()), box));
  }
  QPushButton *close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  QObject::connect(close, &QPushButton::clicked, box, &QDialog::reject);
  form->addRow(buttons);
  QObject::connect(box, &QDialog::finished, box, [this] { Closed(); });
  FBox = box;
  box->show();
}

TPropServer::~TPropServer() {
  if (!FBox) return;
  QDialog *box = FBox;
  FBox = nullptr;
  QObject::disconnect(box, nullptr, nullptr, nullptr);
  box->hide();
  box->deleteLater();
}

bool TPropServer::Showing() const {
  return FBox && FBox->isVisible();
}

void TPropServer::Close() {
  if (FBox && FBox->isVisible()) FBox->reject();
}

void TPropServer::Apply(const QString &aName) {
  if (FObjects.size() != 1) return;
  TCommonObj *obj = FObjects.front();
  const QString name = aName.trimmed();
  if (name.isEmpty() || name == obj->Name) return;
  if (TAbUndo *undo = AbUndo()) undo->Add(20, obj, true);
  obj->Name = name;
}

void TPropServer::Closed() {
  // The observer may free this server: nothing of it is touched after.
  if (auto observer = std::move(FObserver)) observer();
}

} // namespace lumora

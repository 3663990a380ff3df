#include "platform/ui/MessageBox.h"

#include <cstdio>

namespace lumora {

namespace {
std::unique_ptr<IMessageBox> &Instance() {
  static std::unique_ptr<IMessageBox> instance;
  return instance;
}
} // namespace

TMsgResult DefaultButton(TMsgButtons buttons) {
  switch (buttons) {
  case TMsgButtons::mbOK:
  case TMsgButtons::mbOKCancel:
    return TMsgResult::mrOk;
  case TMsgButtons::mbYesNo:
  case TMsgButtons::mbYesNoCancel:
  case TMsgButtons::mbYesCancel:
    return TMsgResult::mrYes;
  }
  return TMsgResult::mrOk;
}

TMsgResult TStderrMessageBox::Show(const QString &text, const QString &caption,
                                   TMsgButtons buttons) {
  shown_.append(text);
  const QByteArray line =
      (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text).toUtf8();
  std::fprintf(stderr, "%s\n", line.constData());
  return DefaultButton(buttons);
}

IMessageBox &MessageBox() {
  auto &instance = Instance();
  if (!instance) instance = std::make_unique<TStderrMessageBox>();
  return *instance;
}

void SetMessageBox(std::unique_ptr<IMessageBox> box) {
  Instance() = std::move(box);
}

} // namespace lumora

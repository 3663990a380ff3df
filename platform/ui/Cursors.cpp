#include "platform/ui/Cursors.h"

#include <QPixmap>
#include <QString>
#include <map>

namespace lumora {

namespace {

std::map<TCursor, QCursor> &Table() {
  static std::map<TCursor, QCursor> table;
  return table;
}

} // namespace

void SetScreenCursor(TCursor aSlot, const QCursor &aCursor) {
  Table()[aSlot] = aCursor;
}

void LoadScreenCursor(TCursor aSlot, const char *aName, int aHotX, int aHotY) {
  const QPixmap picture(QStringLiteral(":/cursors/%1.png").arg(QString::fromLatin1(aName)));
  SetScreenCursor(aSlot,
                  picture.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(picture, aHotX, aHotY));
}

QCursor ScreenCursor(TCursor aCursor) {
  switch (aCursor) {
  case crDefault:
  case crArrow:
    return QCursor(Qt::ArrowCursor);
  case crCross:
    return QCursor(Qt::CrossCursor);
  case crIBeam:
    return QCursor(Qt::IBeamCursor);
  case crHandPoint:
    return QCursor(Qt::PointingHandCursor);
  case crHourGlass:
    return QCursor(Qt::WaitCursor);
  default:
    break;
  }
  const auto found = Table().find(aCursor);
  return found != Table().end() ? found->second : QCursor(Qt::ArrowCursor);
}

} // namespace lumora

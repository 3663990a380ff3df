#pragma once
// The project's one exception base. Its message is shown to the user or, for
// corrupt stored data, names what was wrong.
#include <QByteArray>
#include <QString>
#include <exception>

namespace lumora {

class Exception : public std::exception {
public:
  explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
  const QString &Message() const { return message_; }
  const char *what() const noexcept override { return utf8_.constData(); }

private:
  QString message_;
  QByteArray utf8_;
};

// A read needed more bytes than the stream holds, or stored data is corrupt.
class EReadError : public Exception {
  using Exception::Exception;
};
// A write could not be completed.
class EWriteError : public Exception {
  using Exception::Exception;
};
// A file could not be opened or created.
class EFOpenError : public Exception {
  using Exception::Exception;
};

} // namespace lumora

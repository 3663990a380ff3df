#pragma once
// The media-file interface of page objects that show or play an outside
// file (still pictures, sound and movie objects): the object's file as its
// media-file reference keeps it. The book walks read file names through it.
#include <QString>

namespace lumora {

class IQvMediaPlay {
public:
  // The file name as the reference keeps it.
  virtual QString FileName() const = 0;

protected:
  ~IQvMediaPlay() = default;
};

} // namespace lumora

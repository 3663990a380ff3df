#include "core/drawable/ObjOption.h"

#include "core/stream/MetaStream.h"

namespace lumora {

void TObjOption::Write(TMetaStream &aStream) const {
  aStream.WriteBuffer(Click);
  aStream.WriteBuffer(Adsorb);
  aStream.WriteBuffer(Option1);
  aStream.WriteBuffer(Option2);
}

void TObjOption::Read(TMetaStream &aStream) {
  // All or nothing: a short block changes no value.
  CheckReadable(aStream, kBlockSize);
  aStream.ReadBuffer(Click);
  aStream.ReadBuffer(Adsorb);
  aStream.ReadBuffer(Option1);
  aStream.ReadBuffer(Option2);
}

} // namespace lumora

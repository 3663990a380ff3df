#include "core/book/BookClasses.h"

#include "core/book/PrintInfoObj.h"
#include "core/book/ThumbnailObj.h"
#include "core/model/ClassRegistry.h"

namespace lumora {

void RegisterBookClasses(TObjClassList &aList) {
  aList.Add<TSmallThumb>();
  aList.Add<TPrtInf>();
}

} // namespace lumora

#pragma once
// The enumerations and sets the page-object classes share: the form and mode
// flags of a class, the system mode, and the kinds of hit test.
#include <cstdint>
#include <vector>

#include "core/support/EnumSet.h"

namespace lumora {

class TCommonObj;

// Form and mode flags of a class, in stored bit order (bit 0 first).
enum TObjType : uint8_t {
  otNon,
  otLine,
  otAtLine,
  otSurface,
  otStamp,
  otText,
  otLink,
  otAction,
  otAuthor,
  otExec,
  otBoth,
  otSystem,
  otNoThumb,
  otNoSave,
  otTable,
  otMovie,
  otEvent,
  otMath,
  otCenter,
  otComplex,
  otConductor,
  otUnchAreas,
  otFile,
  otPicture,
  otPage,
  otBook,
  otUser,
  otActBlock,
  otDummy,
  otActList,
  otReserve6,
  otReserve7,
};
// A class's FormType: a 32-bit set of TObjType.
using TFormType = EnumSet<TObjType, uint32_t>;

// The system mode: author (editing) or presentation (exec).
enum TSysMode : uint8_t { smAuthor, smExec, smCustom };

// The kinds of hit test.
enum TSearch : uint8_t {
  k_allObj,
  k_noRock,
  k_DrawObj,
  k_Visible,
  k_Coat,
  k_Tray,
  k_Table,
  k_Item,
  k_ExecObj,
};

// A list of objects that does not own them (circuits, overlap lists).
using TObjList = std::vector<TCommonObj *>;

} // namespace lumora

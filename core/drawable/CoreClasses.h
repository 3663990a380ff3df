#pragma once
// Registration of the object model's own page-object classes.
namespace lumora {

class TObjClassList;

// Adds, in this order, "空OBJ" (TNullObj) and "仮オブジェクト"
// (TDummyDrawObj, the placeholder). Start-up calls it first, right after
// TCoreContext::Start(), before the registration functions of the other
// subsystems.
void RegisterCoreClasses(TObjClassList &aList);

} // namespace lumora

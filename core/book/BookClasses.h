#pragma once
// Registration of the page-object classes of the book model: the thumbnail
// "サムネール" and the print settings "印刷設定". Start-up calls it right
// after RegisterCoreClasses.
namespace lumora {

class TObjClassList;

void RegisterBookClasses(TObjClassList &aList);

} // namespace lumora

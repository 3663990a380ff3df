#pragma once
// The pictures of the platform clipboard, over QClipboard (a QGuiApplication
// must exist): whether a bitmap or an enhanced metafile is offered, taking
// the offered picture, and putting a bitmap or EMF bytes on the clipboard.
//
// Enhanced metafiles travel as their file bytes under the MIME type
// kEmfMimeType, the program's own convention.
#include <QByteArray>

namespace lumora {

class TBitmap;
class TPicture;

inline constexpr char kEmfMimeType[] = "image/x-emf";

// Whether the clipboard offers an image Qt holds as a bitmap.
bool ClipboardHasBitmap();
// Whether it offers enhanced metafile bytes.
bool ClipboardHasMetafile();
// Takes the offered picture into aPicture: the bitmap when one is offered,
// else the metafile when its bytes are a valid EMF, else the first offered
// image data that Qt decodes (as a bitmap). Answers false, leaving
// aPicture as it was, when there is none.
bool ClipboardGetPicture(TPicture &aPicture);
// Puts the bitmap's pixels on the clipboard (replacing what it held).
void ClipboardSetBitmap(const TBitmap &aBitmap);
// Puts EMF file bytes on the clipboard (replacing what it held).
void ClipboardSetMetafile(const QByteArray &aEmf);
// Empties the clipboard.
void ClipboardClear();

} // namespace lumora

#pragma once
// The platform clipboard, over QClipboard (a QGuiApplication must exist):
// the pictures (whether a bitmap or an enhanced metafile is offered, taking
// the offered picture, putting a bitmap or EMF bytes on the clipboard), the
// program's private format "LumoraExData" (the copied object records), text
// and the local files another program copied.
//
// Enhanced metafiles travel as their file bytes under the MIME type
// kEmfMimeType, the program's own convention.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lumora {

class TBitmap;
class TPicture;

inline constexpr char kEmfMimeType[] = "image/x-emf";
// The private format "LumoraExData" travels under this MIME type.
inline constexpr char kExDataFormatName[] = "LumoraExData";
inline constexpr char kExDataMimeType[] = "application/x-lumora-exdata";

// What ClipboardFormat answers, in its order of preference: the private
// format, text, a bitmap, an enhanced metafile, other image data (the
// picture format, which Windows numbers among the registered formats), local
// files; none.
inline constexpr int kClipExData = 512;
inline constexpr int kClipText = 1;
inline constexpr int kClipBitmap = 2;
inline constexpr int kClipMetafile = 3;
inline constexpr int kClipPicture = 0xC000;
inline constexpr int kClipFiles = 15;
inline constexpr int kClipNone = -1;

// The first of the formats above that the clipboard offers. Plain text
// counts only when no local files are offered: file managers offer the
// files' paths as text beside them.
int ClipboardFormat();

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

// Puts the bytes under the private format, in one call replacing what the
// clipboard held.
void ClipboardSetExData(const QByteArray &aBytes);
// Whether the private format is offered, and its bytes (empty when not).
bool ClipboardHasExData();
QByteArray ClipboardExData();
// The offered plain text; empty when none.
QString ClipboardText();
// The local files offered (as URLs), in order; empty when none.
QStringList ClipboardFiles();

} // namespace lumora

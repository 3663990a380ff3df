#pragma once
// Small routines shared across the program: pen and brush set-up, colour
// brightness, a vertical gradient, token splitting, file lists by extension,
// the openable-file check, the shared data root, the conversion of the
// loosely typed arguments of the string commands (Data, Value), the desktop
// work area and rectangle normalisation.
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <span>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

namespace lumora {

// ---- Pens, brushes and colours ----

// A solid brush of the colour; clNone makes the brush clear.
void SetBrushFill(TBrush &brush, TColor color);
// A solid pen of the colour; clNone makes the pen clear.
void SetPenLine(TPen &pen, TColor color);

// Scales the colour so that its luminance (0.299R + 0.587G + 0.114B) / 256
// becomes target, each channel capped at 255; a colour without luminance
// gives black.
TColor ScaleColorLuminance(TColor color, double target);
// Lightens (rate > 0) or darkens (rate < 0) the colour by the fraction rate
// (-1..1) of the way to white or black, keeping its hue as far as the
// channels allow. Rate 0 answers the colour unchanged.
TColor ChangeColorBrightness(TColor color, double rate);

// Fills r row by row from colour b at the top to colour a at the bottom; a
// rectangle one pixel high (or less) gets one line in b along its top row.
// The canvas's pen is left as it was.
void FillVerticalGradient(TCanvas &canvas, const TRect &r, TColor a, TColor b);

// ---- Tokens and file names ----

// Removes blanks and control characters (code <= 32) at both ends, as the
// stored texts are trimmed; wider spaces such as U+3000 stay.
QString TrimBlanks(const QString &text);

// Trims text, cuts off the part before the first character that is one of
// delims (all of text when there is none) into token, drops that delimiter
// and trims both again.
void CutFirstToken(const QString &delims, QString &text, QString &token);
// The same with the first occurrence of the separator string.
void CutFirstTokenStr(const QString &separator, QString &text, QString &token);
// Cuts tokens with CutFirstToken into tokens while text remains, at most
// tokens.size() of them; answers how many were stored.
int SplitTokens(const QString &delims, const QString &text, std::span<QString> tokens);

// The part of a path after its last '\', '/' or drive colon.
QString BareFileName(const QString &path);
// The extension of the bare name with its dot ("" when it has none).
QString FileExtOf(const QString &path);
// Whether the lower-cased extension of fileName equals one of the non-empty
// lower-cased exts.
bool HasFileExt(const QString &fileName, const QStringList &exts);
// Appends to list, as folder + name, every entry of the folder (files and
// folders, hidden ones too, sorted by name) whose extension passes
// HasFileExt. Answers the list's count afterwards (the count it had plus the
// entries added); a missing folder adds nothing.
int ListFilesByExt(QStringList &list, const QString &folder, const QStringList &exts);
// Answers true when the file exists and has one of exts or the extension
// ".lmm3". Raises Exception "ファイルがありません：" + fileName for a missing
// file, and bare name + " は開けません。" for any other extension.
bool CheckOpenableFile(const QString &fileName, const QStringList &exts);

// ---- The shared data root ----

// The root under which the program's data folder lies: the folder named by
// the environment variable LUMORA_DATA when it is set, else the user's
// documents folder; always with exactly one trailing '/'.
QString DataRoot();
// DataRoot, warning once: while the warned flag is false and the data root
// followed by dataFolderName is not an existing folder, the program-wide
// message box shows "共有フォルダー"<root><name>"が見つかりません。". An
// existing folder named by LUMORA_DATA sets the flag (the user chose it).
QString GetCommonDocumentsFolder(const QString &dataFolderName);
// The same with the system state's data folder name (its default before the
// system state has started).
QString GetCommonDocumentsFolder();
// The program's data folder: GetCommonDocumentsFolder() joined with the
// system state's data folder name (its default before the system state has
// started), without separators of the name's own at either end and without
// a trailing one.
QString GetDataFolder();
// Whether the missing shared data folder was reported in this run (kept in
// the system state; false, and not kept, without one).
bool CommonDocumentsWarned();
void SetCommonDocumentsWarned(bool warned);

// ---- Arguments of the string commands ----
//
// The string commands take their arguments as a QVariantList. The kind of
// each argument follows from the type it holds:
//   int, uint                  integer
//   double, float              extended float
//   long long, unsigned l. l.  64-bit integer
//   QByteArray                 ANSI string (code page 932 bytes)
//   QChar                      wide character
//   QString                    Unicode string: the program's texts, so a
//                              text argument is read as a number only when
//                              the caller wraps it as a variant
//   TVariantArg                variant (VariantArg(v)); an invalid QVariant
//                              counts as an empty variant too
//   anything else (bool, ...)  no conversion: 0 and the empty text
// A conversion that fails gives 0.

// A variant argument: converted by value, so that a calculated number sent
// as text ("12.5") reads as that number.
struct TVariantArg {
  QVariant Value;
  bool operator==(const TVariantArg &o) const { return Value == o.Value; }
};
inline QVariant VariantArg(const QVariant &value) {
  return QVariant::fromValue(TVariantArg{value});
}

int32_t VarRecToInt(const QVariant &arg);
QString VarRecToStr(const QVariant &arg);
double VarRecToFloat(const QVariant &arg);

// The variant's text: "" for an invalid variant, the number's text for
// numbers, "True"/"False" for booleans.
QString VariantToStr(const QVariant &value);
// The variant as an integer (a text is read as a number and rounded half to
// even); def when its text is empty or it cannot be converted.
int32_t VariantToIntDef(const QVariant &value, int32_t def);
// The variant's text: empty gives def, "*" gives -1, anything else its
// integer value (def when it is not an integer).
int32_t VariantToIntOrAll(const QVariant &value, int32_t def);

// Decimal or hexadecimal ("$1F", "0x1F") integer text with an optional sign
// and leading blanks; def when it is anything else or beyond 32 bits.
int32_t StrToIntDef(const QString &text, int32_t def);
// The text of a number as the stored texts write it: up to 15 significant
// digits, fixed notation from 0.00001 up to 15 integer digits, otherwise
// "1.5E20" / "1E-6".
QString FloatToStr(double value);

// ---- Screen rectangles ----

// The primary screen's area not covered by panels and docks; (0, 0, 1024,
// 768) without a screen.
TRect GetWorkArea();
// Left <= Right and Top <= Bottom, by exchanging coordinates.
TRect NormalizeRect(const TRect &r);

} // namespace lumora

Q_DECLARE_METATYPE(lumora::TVariantArg)

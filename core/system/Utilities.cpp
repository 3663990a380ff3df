#include "core/system/Utilities.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/geometry/Geometry.h"
#include "core/system/SysContext.h"
#include "platform/system/Exception.h"
#include "platform/text/CodePage932.h"
#include "platform/ui/MessageBox.h"

namespace lumora {

// ---- Pens, brushes and colours ----

void SetBrushFill(TBrush &brush, TColor color) {
  if (color == clNone) {
    brush.SetStyle(bsClear);
    return;
  }
  brush.SetStyle(bsSolid);
  brush.SetColor(color);
}

void SetPenLine(TPen &pen, TColor color) {
  if (color == clNone) {
    pen.SetStyle(psClear);
    return;
  }
  pen.SetStyle(psSolid);
  pen.SetColor(color);
}

TColor ScaleColorLuminance(TColor color, double target) {
  const TColor rgb = ColorToRGB(color);
  const double r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  const double l = (0.299 * r + 0.587 * g + 0.114 * b) / 256.0;
  if (!(l > 0)) return clBlack;
  const double f = target / l;
  auto scale = [f](double c) {
    const double v = c * f;
    return v >= 255.0 ? 255 : v > 0 ? int(v) : 0;
  };
  return RGB(scale(r), scale(g), scale(b));
}

namespace {

double Luminance255(const double c[3]) {
  return (0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]) / 255.0;
}

int Channel(double c) {
  if (!(c > 0)) return 0; // also NaN
  return c >= 255.0 ? 255 : int(c);
}

// The step loop converges within a few dozen rounds for every colour; the
// bound only guards against a colour that stops moving.
constexpr int kMaxBrightnessSteps = 1000;

} // namespace

TColor ChangeColorBrightness(TColor color, double rate) {
  if (rate == 0) return color;
  const TColor rgb = ColorToRGB(color);
  double c[3] = {double(GetRValue(rgb)), double(GetGValue(rgb)), double(GetBValue(rgb))};
  // A channel of 0 could never grow in proportion to itself.
  for (double &v : c)
    if (v == 0) v = 1.4;
  const double l = Luminance255(c);
  if (rate > 0) {
    const double u = l + rate * (1 - l);
    if (u >= 1) return clWhite;
    double v = 0, w = (u - l) * 255;
    for (int step = 0; w > 0.5 && step < kMaxBrightnessSteps; ++step) {
      const double s = c[0] + c[1] + c[2];
      if (!(s > 0)) break;
      for (double &ch : c) {
        ch = ch + w * ch / s + v;
        if (ch > 255) {
          ch = 255;
          v += 0.1;
        }
      }
      w = (u - Luminance255(c)) * 255;
    }
  } else {
    const double u = l + rate * l;
    if (u <= 0) return clBlack;
    double v = 0, w = (l - u) * 255;
    for (int step = 0; std::fabs(w) > 0.5 && step < kMaxBrightnessSteps; ++step) {
      const double s = c[0] + c[1] + c[2];
      if (!(s > 0)) break;
      for (double &ch : c) {
        ch = ch - w * ch / s + v;
        if (ch < 0) {
          ch = 0;
          v -= 0.1;
        }
      }
      w = (Luminance255(c) - u) * 255;
    }
  }
  return RGB(Channel(c[0]), Channel(c[1]), Channel(c[2]));
}

void FillVerticalGradient(TCanvas &canvas, const TRect &r, TColor a, TColor b) {
  // The canvas draws in 24-bit colour: the nearest colour is the RGB value.
  a = ColorToRGB(a);
  b = ColorToRGB(b);
  const TPen saved = canvas.Pen();
  TPen &pen = canvas.Pen();
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  pen.SetWidth(1);
  const int n = r.Height();
  if (n <= 1) {
    pen.SetColor(b);
    canvas.MoveTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Top);
  } else {
    const int ar = GetRValue(a), ag = GetGValue(a), ab = GetBValue(a);
    const int br = GetRValue(b), bg = GetGValue(b), bb = GetBValue(b);
    for (int i = 0; i < n; ++i) {
      pen.SetColor(RGB(br + i * (ar - br) / (n - 1), bg + i * (ag - bg) / (n - 1),
                       bb + i * (ab - bb) / (n - 1)));
      canvas.MoveTo(r.Left, r.Top + i);
      canvas.LineTo(r.Right, r.Top + i);
    }
  }
  canvas.Pen() = saved;
}

// ---- Tokens and file names ----

QString TrimBlanks(const QString &text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text[first].unicode() <= 32)
    ++first;
  while (last > first && text[last - 1].unicode() <= 32)
    --last;
  return text.mid(first, last - first);
}

void CutFirstToken(const QString &delims, QString &text, QString &token) {
  text = TrimBlanks(text);
  qsizetype p = 0;
  while (p < text.size() && !delims.contains(text[p]))
    ++p;
  token = TrimBlanks(text.left(p));
  text = p < text.size() ? TrimBlanks(text.mid(p + 1)) : QString();
}

void CutFirstTokenStr(const QString &separator, QString &text, QString &token) {
  text = TrimBlanks(text);
  const qsizetype p = separator.isEmpty() ? -1 : text.indexOf(separator);
  if (p < 0) {
    token = text;
    text.clear();
    return;
  }
  token = TrimBlanks(text.left(p));
  text = TrimBlanks(text.mid(p + separator.size()));
}

int SplitTokens(const QString &delims, const QString &text, std::span<QString> tokens) {
  QString rest = text;
  int count = 0;
  while (!rest.isEmpty() && size_t(count) < tokens.size())
    CutFirstToken(delims, rest, tokens[count++]);
  return count;
}

QString BareFileName(const QString &path) {
  qsizetype p = path.size();
  while (p > 0 && path[p - 1] != u'/' && path[p - 1] != u'\\' && path[p - 1] != u':')
    --p;
  return path.mid(p);
}

QString FileExtOf(const QString &path) {
  const QString name = BareFileName(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot);
}

bool HasFileExt(const QString &fileName, const QStringList &exts) {
  const QString ext = FileExtOf(fileName).toLower();
  for (const QString &e : exts)
    if (!e.isEmpty() && e.toLower() == ext) return true;
  return false;
}

int ListFilesByExt(QStringList &list, const QString &folder, const QStringList &exts) {
  const QDir dir(folder);
  if (folder.isEmpty() || !dir.exists()) return int(list.size());
  QString prefix = folder;
  if (!prefix.endsWith(u'/') && !prefix.endsWith(u'\\')) prefix += u'/';
  const QStringList names = dir.entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString &name : names)
    if (HasFileExt(name, exts)) list.append(prefix + name);
  return int(list.size());
}

bool CheckOpenableFile(const QString &fileName, const QStringList &exts) {
  const QFileInfo info(fileName);
  if (fileName.isEmpty() || !info.exists() || info.isDir())
    throw Exception(QStringLiteral("ファイルがありません：") + fileName);
  if (HasFileExt(fileName, exts) || HasFileExt(fileName, {QStringLiteral(".lmm3")})) return true;
  throw Exception(BareFileName(fileName) + QStringLiteral(" は開けません。"));
}

// ---- The shared data root ----

namespace {

QString WithOneSlash(QString path) {
  while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
    path.chop(1);
  if (!path.endsWith(u'/')) path += u'/';
  return path;
}
} // namespace

QString DataRoot() {
  const QString env = qEnvironmentVariable("LUMORA_DATA");
  if (!env.isEmpty()) return WithOneSlash(env);
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty()) docs = QDir::homePath();
  return WithOneSlash(docs);
}

QString GetCommonDocumentsFolder(const QString &dataFolderName) {
  const QString root = DataRoot();
  // Without a system state (a tool) every call may report.
  bool notStarted = false;
  bool &warned = TSysContext::Started() ? TSysContext::Get().SharedFolderReported : notStarted;
  if (!qEnvironmentVariable("LUMORA_DATA").isEmpty() && QFileInfo(root).isDir()) warned = true;
  if (!warned) {
    // The data folder name may come with a leading separator ("\Lumora算数").
    QString name = dataFolderName;
    while (name.startsWith(u'/') || name.startsWith(u'\\'))
      name.remove(0, 1);
    if (!QFileInfo(root + name).isDir()) {
      warned = true;
      MessageBox().Show(QStringLiteral("共有フォルダー\"") + root + name +
                            QStringLiteral("\"が見つかりません。"),
                        QString(), TMsgButtons::mbOK);
    }
  }
  return root;
}

QString GetCommonDocumentsFolder() {
  return GetCommonDocumentsFolder(TSysContext::Started() ? SysInfo().LumoraDir()
                                                         : TSysContext::DefaultDataFolder());
}

QString GetDataFolder() {
  QString name = TSysContext::Started() ? SysInfo().LumoraDir() : TSysContext::DefaultDataFolder();
  while (name.startsWith(u'/') || name.startsWith(u'\\'))
    name.remove(0, 1);
  while (name.endsWith(u'/') || name.endsWith(u'\\'))
    name.chop(1);
  return GetCommonDocumentsFolder() + name;
}

bool CommonDocumentsWarned() {
  return TSysContext::Started() && TSysContext::Get().SharedFolderReported;
}

void SetCommonDocumentsWarned(bool warned) {
  if (TSysContext::Started()) TSysContext::Get().SharedFolderReported = warned;
}

// ---- Arguments of the string commands ----

namespace {

// The integer of a text as StrToIntDef reads it; false when it is none.
bool ParseInt(const QString &text, int32_t &result) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == u'0' &&
             (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char16_t ch = text[i].unicode();
    int d;
    if (ch >= u'0' && ch <= u'9')
      d = ch - u'0';
    else if (base == 16 && ch >= u'a' && ch <= u'f')
      d = ch - u'a' + 10;
    else if (base == 16 && ch >= u'A' && ch <= u'F')
      d = ch - u'A' + 10;
    else
      return false;
    value = value * base + d;
    if (value > int64_t(std::numeric_limits<uint32_t>::max())) return false;
  }
  if (base == 10) {
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
      return false;
    result = int32_t(value);
    return true;
  }
  // Hexadecimal texts name the 32 bits ("$FFFFFFFF" is -1).
  const uint32_t bits = uint32_t(value);
  result = int32_t(negative ? 0u - bits : bits);
  return true;
}

} // namespace

int32_t StrToIntDef(const QString &text, int32_t def) {
  int32_t n;
  return ParseInt(text, n) ? n : def;
}

QString FloatToStr(double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  if (value == 0) return QStringLiteral("0");
  const double a = std::fabs(value);
  if (a >= 1e-5 && a < 1e-4) {
    // Fixed notation down to 0.00001, where printf would switch to exponents.
    QString s = QString::number(value, 'f', 19);
    while (s.endsWith(u'0'))
      s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    return s;
  }
  QString s = QString::number(value, 'g', 15);
  const qsizetype e = s.indexOf(u'e');
  if (e < 0) return s;
  // "1.5e+20" -> "1.5E20", "1e-06" -> "1E-6".
  const QString mantissa = s.left(e);
  QString exponent = s.mid(e + 1);
  const bool minus = exponent.startsWith(u'-');
  if (exponent.startsWith(u'-') || exponent.startsWith(u'+')) exponent.remove(0, 1);
  while (exponent.size() > 1 && exponent.startsWith(u'0'))
    exponent.remove(0, 1);
  return mantissa + u'E' + (minus ? QStringLiteral("-") : QString()) + exponent;
}

namespace {

enum class TArgKind { Integer, Float, Int64, Ansi, WideChar, Unicode, Variant, Other };

TArgKind KindOf(const QVariant &arg) {
  switch (arg.typeId()) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::Short:
  case QMetaType::UShort:
  case QMetaType::Char:
  case QMetaType::SChar:
  case QMetaType::UChar:
    return TArgKind::Integer;
  case QMetaType::Double:
  case QMetaType::Float:
    return TArgKind::Float;
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Long:
  case QMetaType::ULong:
    return TArgKind::Int64;
  case QMetaType::QByteArray:
    return TArgKind::Ansi;
  case QMetaType::QChar:
    return TArgKind::WideChar;
  case QMetaType::QString:
    return TArgKind::Unicode;
  case QMetaType::UnknownType:
    return TArgKind::Variant; // an empty variant
  default:
    return arg.typeId() == qMetaTypeId<TVariantArg>() ? TArgKind::Variant : TArgKind::Other;
  }
}

bool IsUnsigned(const QVariant &arg) {
  switch (arg.typeId()) {
  case QMetaType::UInt:
  case QMetaType::UShort:
  case QMetaType::UChar:
  case QMetaType::ULong:
  case QMetaType::ULongLong:
    return true;
  default:
    return false;
  }
}

// The value inside a variant argument.
QVariant Unwrapped(const QVariant &arg) {
  return arg.typeId() == qMetaTypeId<TVariantArg>() ? arg.value<TVariantArg>().Value : arg;
}

bool ParseFloat(const QString &text, double &value) {
  bool ok = false;
  const double v = TrimBlanks(text).toDouble(&ok); // the C locale: '.' decimals
  if (!ok || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool IsTextType(const QVariant &v) {
  const int t = v.typeId();
  return t == QMetaType::QString || t == QMetaType::QByteArray || t == QMetaType::QChar;
}

// A variant's value as a number; false when it has none (empty, or a text
// that is not a number).
bool VariantToFloat(const QVariant &v, double &value) {
  if (!v.isValid() || v.isNull()) return false;
  if (v.typeId() == QMetaType::Bool) {
    value = v.toBool() ? -1 : 0; // a true variant counts as -1
    return true;
  }
  if (IsTextType(v)) return ParseFloat(VariantToStr(v), value);
  bool ok = false;
  const double d = v.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return false;
  value = d;
  return true;
}

bool VariantToInt(const QVariant &v, int32_t &value) {
  if (!v.isValid() || v.isNull()) return false;
  const int t = v.typeId();
  if (t == QMetaType::LongLong || t == QMetaType::Long || t == QMetaType::Int ||
      t == QMetaType::Short || t == QMetaType::Char || t == QMetaType::SChar) {
    const qlonglong n = v.toLongLong();
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
      return false;
    value = int32_t(n);
    return true;
  }
  if (t == QMetaType::ULongLong || t == QMetaType::ULong || t == QMetaType::UInt ||
      t == QMetaType::UShort || t == QMetaType::UChar) {
    const qulonglong n = v.toULongLong();
    if (n > qulonglong(std::numeric_limits<int32_t>::max())) return false;
    value = int32_t(n);
    return true;
  }
  // An integer text reads exactly; other number texts are rounded below.
  if (IsTextType(v) && ParseInt(VariantToStr(v), value)) return true;
  double d;
  if (!VariantToFloat(v, d)) return false;
  const double r = std::nearbyint(d); // half to even
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
    return false;
  value = int32_t(r);
  return true;
}

} // namespace

QString VariantToStr(const QVariant &value) {
  const QVariant v = Unwrapped(value);
  if (!v.isValid() || v.isNull()) return QString();
  switch (v.typeId()) {
  case QMetaType::QString:
    return v.toString();
  case QMetaType::QByteArray:
    return FromCp932(v.toByteArray());
  case QMetaType::Bool:
    return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  case QMetaType::Double:
  case QMetaType::Float:
    return FloatToStr(v.toDouble());
  default:
    return v.toString();
  }
}

int32_t VarRecToInt(const QVariant &arg) {
  switch (KindOf(arg)) {
  case TArgKind::Integer:
  case TArgKind::Int64: // the low 32 bits
    return int32_t(uint32_t(IsUnsigned(arg) ? arg.toULongLong() : uint64_t(arg.toLongLong())));
  case TArgKind::Float:
    return Round(arg.toDouble());
  case TArgKind::Ansi:
    return StrToIntDef(FromCp932(arg.toByteArray()), 0);
  case TArgKind::Variant: {
    int32_t n = 0;
    return VariantToInt(Unwrapped(arg), n) ? n : 0;
  }
  case TArgKind::WideChar:
  case TArgKind::Unicode:
  case TArgKind::Other:
    break;
  }
  return 0;
}

QString VarRecToStr(const QVariant &arg) {
  switch (KindOf(arg)) {
  case TArgKind::Integer:
  case TArgKind::Int64:
  case TArgKind::Float:
  case TArgKind::Ansi:
  case TArgKind::WideChar:
  case TArgKind::Unicode:
  case TArgKind::Variant:
    return VariantToStr(arg);
  case TArgKind::Other:
    break;
  }
  return QString();
}

double VarRecToFloat(const QVariant &arg) {
  switch (KindOf(arg)) {
  case TArgKind::Integer:
  case TArgKind::Int64:
  case TArgKind::Float: {
    const double d = arg.toDouble();
    return std::isfinite(d) ? d : 0;
  }
  case TArgKind::Ansi: {
    double d = 0;
    return ParseFloat(FromCp932(arg.toByteArray()), d) ? d : 0;
  }
  case TArgKind::Variant: {
    double d = 0;
    return VariantToFloat(Unwrapped(arg), d) ? d : 0;
  }
  case TArgKind::WideChar:
  case TArgKind::Unicode:
  case TArgKind::Other:
    break;
  }
  return 0;
}

int32_t VariantToIntDef(const QVariant &value, int32_t def) {
  const QVariant v = Unwrapped(value);
  if (VariantToStr(v).isEmpty()) return def;
  int32_t n = 0;
  return VariantToInt(v, n) ? n : def;
}

int32_t VariantToIntOrAll(const QVariant &value, int32_t def) {
  const QString text = VariantToStr(value);
  if (text.isEmpty()) return def;
  if (text == QStringLiteral("*")) return -1;
  return StrToIntDef(text, def);
}

// ---- Screen rectangles ----

TRect GetWorkArea() {
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
      const QRect g = screen->availableGeometry();
      return Bounds(g.x(), g.y(), g.width(), g.height());
    }
  }
  return Rect(0, 0, 1024, 768);
}

TRect NormalizeRect(const TRect &r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

} // namespace lumora

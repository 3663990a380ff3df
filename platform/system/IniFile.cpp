#include "platform/system/IniFile.h"

#include "platform/system/Exception.h"
#include "platform/system/SafeSave.h"
#include "platform/text/CodePage932.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <cmath>
#include <limits>

namespace lumora {

namespace {

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// Trims blanks and tabs only: full-width blanks belong to the text.
QString TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t'))
    ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
    --e;
  return s.mid(b, e - b).toString();
}

QString OneLine(const QString &value) {
  QString v = value;
  v.replace(QLatin1Char('\r'), QLatin1Char(' '));
  v.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return v;
}

void CheckName(const QString &name, bool isKey) {
  const bool bad = TrimBlanks(name).isEmpty() || name.contains(QLatin1Char('\n')) ||
                   name.contains(QLatin1Char('\r')) ||
                   (isKey ? name.contains(QLatin1Char('=')) || TrimBlanks(name).startsWith(u';') ||
                                TrimBlanks(name).startsWith(u'[')
                          : name.contains(QLatin1Char(']')));
  if (bad)
    throw Exception(QStringLiteral("ini: %1 cannot be written: \"%2\"")
                        .arg(isKey ? QStringLiteral("key") : QStringLiteral("section"), name));
}

// Parses a whole trimmed text as a signed 32-bit integer.
bool ParseInteger(const QString &text, int32_t &out) {
  QStringView s(text);
  bool negative = false;
  if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
    negative = s[0] == u'-';
    s = s.mid(1);
  }
  int base = 10;
  if (s.startsWith(u'$')) {
    base = 16;
    s = s.mid(1);
  } else if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
    base = 16;
    s = s.mid(2);
  }
  if (s.isEmpty()) return false;
  int64_t v = 0;
  for (QChar c : s) {
    int d;
    if (c >= u'0' && c <= u'9')
      d = c.unicode() - u'0';
    else if (base == 16 && FoldAscii(c.unicode()) >= u'a' && FoldAscii(c.unicode()) <= u'f')
      d = FoldAscii(c.unicode()) - u'a' + 10;
    else
      return false;
    v = v * base + d;
    if (v > int64_t(1) << 32) return false;
  }
  if (negative) v = -v;
  // Hexadecimal may give the bit pattern of a negative number ($FFFFFFFF).
  if (base == 16 && !negative && v > std::numeric_limits<int32_t>::max() &&
      v <= std::numeric_limits<uint32_t>::max())
    v -= int64_t(1) << 32;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return false;
  out = int32_t(v);
  return true;
}

} // namespace

bool TIniFile::SameName(QStringView a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i].unicode()) != FoldAscii(b[i].unicode())) return false;
  return true;
}

TIniFile::TIniFile(const QString &fileName) : fileName_(fileName) {
  QFile file(fileName);
  if (file.open(QIODevice::ReadOnly)) {
    Load(file.readAll());
    unreadable_ = file.error() != QFileDevice::NoError;
  } else {
    Load(QByteArray());
    unreadable_ = QFile::exists(fileName);
  }
}

void TIniFile::Load(const QByteArray &bytes) {
  QByteArray data = bytes;
  bom_ = data.startsWith("\xEF\xBB\xBF");
  if (bom_) data.remove(0, 3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(data);
  if (utf8.hasError()) text = FromCp932(data);
  SetText(text);
}

void TIniFile::SetText(const QString &text) {
  sections_.clear();
  sections_.push_back(TSection{QString(), QString(), false, false, {}});
  lineEnd_ = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");

  QString normal = text;
  normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = normal.split(QLatin1Char('\n'));
  // A final line end does not start another line.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();

  for (const QString &raw : lines) {
    const QString t = TrimBlanks(raw);
    if (t.startsWith(u'[')) {
      const qsizetype close = t.indexOf(u']');
      if (close > 0) {
        sections_.push_back(
            TSection{TrimBlanks(QStringView(t).mid(1, close - 1)), raw, true, false, {}});
        continue;
      }
    }
    TLine line{raw, QString(), QString()};
    const qsizetype eq = t.indexOf(u'=');
    if (!t.startsWith(u';') && eq > 0) {
      line.key = TrimBlanks(QStringView(t).left(eq));
      line.value = TrimBlanks(QStringView(t).mid(eq + 1));
    }
    sections_.back().lines.push_back(std::move(line));
  }
  modified_ = false;
}

QString TIniFile::Text() const {
  QString out;
  for (const TSection &s : sections_) {
    if (s.gapBefore) out += lineEnd_;
    if (s.hasHeader)
      out +=
          (s.header.isEmpty() ? QLatin1Char('[') + s.name + QLatin1Char(']') : s.header) + lineEnd_;
    for (const TLine &l : s.lines)
      out +=
          (l.raw.isEmpty() && l.IsEntry() ? l.key + QLatin1Char('=') + l.value : l.raw) + lineEnd_;
  }
  return out;
}

const TIniFile::TLine *TIniFile::Find(const QString &section, const QString &key) const {
  const QString sec = TrimBlanks(section), k = TrimBlanks(key);
  for (const TSection &s : sections_) {
    if (!s.hasHeader || !SameName(s.name, sec)) continue;
    for (const TLine &l : s.lines)
      if (l.IsEntry() && SameName(l.key, k)) return &l;
  }
  return nullptr;
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def) const {
  const TLine *l = Find(section, key);
  return l ? l->value : def;
}

int32_t TIniFile::ReadInteger(const QString &section, const QString &key, int32_t def) const {
  const TLine *l = Find(section, key);
  int32_t v;
  return l && ParseInteger(l->value, v) ? v : def;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString &section, const QString &key, double def) const {
  const TLine *l = Find(section, key);
  if (!l) return def;
  bool ok = false;
  const double v = l->value.toDouble(&ok); // C locale: '.' only
  return ok && std::isfinite(v) ? v : def;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value) {
  CheckName(section, false);
  CheckName(key, true);
  const QString sec = TrimBlanks(section), k = TrimBlanks(key), v = TrimBlanks(OneLine(value));
  TSection *first = nullptr;
  for (TSection &s : sections_) {
    if (!s.hasHeader || !SameName(s.name, sec)) continue;
    if (!first) first = &s;
    for (TLine &l : s.lines) {
      if (l.IsEntry() && SameName(l.key, k)) {
        if (l.value != v) {
          l.value = v;
          l.raw.clear(); // written anew as key=value, under the spelling found
          modified_ = true;
        }
        return;
      }
    }
  }
  if (!first) {
    // A blank line before a new section, as people write them, unless the
    // text before it ends in one already.
    const TSection &last = sections_.back();
    const bool endsBlank = last.lines.empty() ? !last.hasHeader
                                              : !last.lines.back().IsEntry() &&
                                                    TrimBlanks(last.lines.back().raw).isEmpty();
    sections_.push_back(TSection{sec, QString(), true, !endsBlank, {}});
    first = &sections_.back();
  }
  // After the section's last entry, so that its trailing blank lines and
  // comments stay between it and the next section.
  auto pos = first->lines.begin();
  for (auto it = first->lines.begin(); it != first->lines.end(); ++it)
    if (it->IsEntry()) pos = it + 1;
  first->lines.insert(pos, TLine{QString(), k, v});
  modified_ = true;
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int32_t value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString &section, const QString &key, double value) {
  WriteString(section, key, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

QStringList TIniFile::ReadSection(const QString &section) const {
  const QString sec = TrimBlanks(section);
  QStringList keys;
  for (const TSection &s : sections_) {
    if (!s.hasHeader || !SameName(s.name, sec)) continue;
    for (const TLine &l : s.lines) {
      if (!l.IsEntry()) continue;
      bool seen = false;
      for (const QString &k : keys)
        seen = seen || SameName(k, l.key);
      if (!seen) keys << l.key;
    }
  }
  return keys;
}

QStringList TIniFile::ReadSections() const {
  QStringList names;
  for (const TSection &s : sections_) {
    if (!s.hasHeader) continue;
    bool seen = false;
    for (const QString &n : names)
      seen = seen || SameName(n, s.name);
    if (!seen) names << s.name;
  }
  return names;
}

bool TIniFile::SectionExists(const QString &section) const {
  const QString sec = TrimBlanks(section);
  for (const TSection &s : sections_)
    if (s.hasHeader && SameName(s.name, sec)) return true;
  return false;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const {
  return Find(section, key) != nullptr;
}

void TIniFile::EraseSection(const QString &section) {
  const QString sec = TrimBlanks(section);
  const auto before = sections_.size();
  std::erase_if(sections_, [&](const TSection &s) { return s.hasHeader && SameName(s.name, sec); });
  if (sections_.size() != before) modified_ = true;
}

void TIniFile::DeleteKey(const QString &section, const QString &key) {
  const QString sec = TrimBlanks(section), k = TrimBlanks(key);
  for (TSection &s : sections_) {
    if (!s.hasHeader || !SameName(s.name, sec)) continue;
    // Every occurrence, so that a later duplicate does not come to light.
    if (std::erase_if(s.lines, [&](const TLine &l) { return l.IsEntry() && SameName(l.key, k); }))
      modified_ = true;
  }
}

void TIniFile::UpdateFile() {
  if (fileName_.isEmpty()) throw Exception(QStringLiteral("ini: no file to write"));
  // Writing what little was read would destroy the settings in the file.
  if (unreadable_) throw EFOpenError(QStringLiteral("ファイルを読めません (%1)").arg(fileName_));
  QByteArray bytes = Text().toUtf8();
  if (bom_) bytes.prepend("\xEF\xBB\xBF");
  SaveFileSafely(fileName_, bytes);
  modified_ = false;
}

} // namespace lumora

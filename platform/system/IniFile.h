#pragma once
// Settings files in the Windows ini form, read and written by ourselves so
// that Japanese section and key names survive as written.
//
// Rules: "[name]" starts a section; "key=value" is an entry; a line whose
// first non-blank character is ';' is a comment. Section names, keys and
// values are trimmed. Names are matched without regard to the case of ASCII
// letters (as the Windows ini functions do) and exactly otherwise. When a
// section or key occurs twice the first occurrence answers.
//
// Files are read as UTF-8 (a leading byte-order mark is dropped); a file
// that is not valid UTF-8 is read as code page 932. Changes stay in memory
// until UpdateFile, which writes UTF-8 and keeps the order of sections and
// entries, comments and lines it does not understand; an entry that was not
// changed keeps its line as written.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace lumora {

class TIniFile {
public:
  // An ini held in memory only (SetText fills it); UpdateFile refuses.
  TIniFile() = default;
  // Reads fileName when it exists; a missing file gives an empty ini that
  // UpdateFile will create. A file that exists but cannot be read also
  // gives an empty ini, which UpdateFile refuses to write over it.
  explicit TIniFile(const QString &fileName);

  const QString &FileName() const { return fileName_; }
  // Replaces the whole content by text (any line ends).
  void SetText(const QString &text);
  // The content as it would be written.
  QString Text() const;
  // Whether a write changed the content since it was read or saved.
  bool Modified() const { return modified_; }

  QString ReadString(const QString &section, const QString &key, const QString &def) const;
  // Decimal, or hexadecimal with "$" or "0x"; a value that is not a 32-bit
  // integer answers def.
  int32_t ReadInteger(const QString &section, const QString &key, int32_t def) const;
  // An integer value: 0 is false, any other true; anything else answers def.
  bool ReadBool(const QString &section, const QString &key, bool def) const;
  // A number with '.' as decimal separator; anything else answers def.
  double ReadFloat(const QString &section, const QString &key, double def) const;

  // Line breaks in a value become blanks (a value is one line). A section or
  // key name that cannot be written as one (empty, a line break, '=' in a
  // key, ']' in a section) raises Exception.
  void WriteString(const QString &section, const QString &key, const QString &value);
  void WriteInteger(const QString &section, const QString &key, int32_t value);
  // Written as "1" or "0".
  void WriteBool(const QString &section, const QString &key, bool value);
  void WriteFloat(const QString &section, const QString &key, double value);

  // The keys of a section in file order, each once.
  QStringList ReadSection(const QString &section) const;
  // The section names in file order, each once.
  QStringList ReadSections() const;
  bool SectionExists(const QString &section) const;
  bool ValueExists(const QString &section, const QString &key) const;
  void EraseSection(const QString &section);
  void DeleteKey(const QString &section, const QString &key);

  // Writes the content to the file (SaveFileSafely); raises EWriteError or
  // EFOpenError when that fails or the file could not be read, Exception
  // for an ini without a file name.
  void UpdateFile();

  // Whether two section or key names match.
  static bool SameName(QStringView a, QStringView b);

private:
  struct TLine {
    QString raw; // the line as read; empty for a written entry
    QString key; // empty for a comment or a line that is not an entry
    QString value;
    bool IsEntry() const { return !key.isEmpty(); }
  };
  struct TSection {
    QString name;
    QString header; // the header line as read; empty for a written section
    bool hasHeader = true;
    bool gapBefore = false; // a written section starts after a blank line
    std::vector<TLine> lines;
  };

  void Load(const QByteArray &bytes);
  const TLine *Find(const QString &section, const QString &key) const;

  QString fileName_;
  // The first "section" holds the lines before any header and has none.
  std::vector<TSection> sections_;
  QString lineEnd_ = QStringLiteral("\n");
  bool bom_ = false;
  bool modified_ = false;
  bool unreadable_ = false;
};

} // namespace lumora

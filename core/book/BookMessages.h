#pragma once
// Every message a teacher sees when a book file cannot be opened or saved,
// kept together so that they share one tone. Each names the file (its full
// path, or its bare name where the text says "this file"); none carries an
// error text of the system or a library.
#include <QString>

namespace lumora {

// "これは"Lumora"のファイルではありません。"
QString NotThisProgramsFileMessage();

// The questions asked before a file of another format version is read,
// for a file name without folder (their lines joined by LF CR).
QString OldVersionQuestionText(const QString &aFile);
QString NewVersionQuestionText(const QString &aFile, float aVersion);

namespace msg {

// "ファイルがありません：" + the path.
QString FileMissing(const QString &aPath);
// A folder was given where a book file was expected.
QString IsFolder(const QString &aPath);
// "ファイルを開けません：" + the path: the file exists but cannot be read.
QString CannotOpen(const QString &aPath);
// "このファイルは開きません。" + the path: not a book this program reads.
QString NotABook(const QString &aPath);
// The book is damaged before any page could be read.
QString DamagedUnreadable(const QString &aPath);
// The book is damaged part-way: aPagesRead of aPages pages (both without
// the common page) could be read and are shown.
QString DamagedPartly(const QString &aPath, int aPagesRead, int aPages);

// Saving: "ファイルへ書けません：" + the path (the file cannot be created
// or replaced); "保存できません。" + the path (the book could not be
// written).
QString CannotWrite(const QString &aPath);
QString CannotSave(const QString &aPath);
// Asked before a book read from a damaged file replaces that file: Yes
// saves under aBeside (a new name in the same folder), No replaces the
// original, Cancel saves nothing.
QString DamagedSaveQuestion(const QString &aPath, const QString &aBeside);

} // namespace msg
} // namespace lumora

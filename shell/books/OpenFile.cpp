#include "shell/books/OpenFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "core/book/LegacyBook.h"
#include "core/model/MakeInfo.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/Utilities.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/input/MouseHandler.h"
#include "shell/startup/BaseForm.h"

namespace lumora {

namespace {

float FileVersion() {
  return TSysContext::Started() ? SysInfo().FileVersion : 0;
}

TBaseForm *BaseForm() {
  return dynamic_cast<TBaseForm *>(TMakeInfo2::Get().Base);
}

// While a book is read: the hourglass, and the base form paints nothing.
class TLoading {
public:
  TLoading() : FForm(BaseForm()) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (FForm) FForm->Loading = true;
  }
  ~TLoading() {
    if (FForm) FForm->Loading = false;
    QGuiApplication::restoreOverrideCursor();
  }
  TLoading(const TLoading &) = delete;
  TLoading &operator=(const TLoading &) = delete;

private:
  TBaseForm *FForm;
};

// The base form shows the book read and takes the keys.
void ShowBase() {
  TBaseForm *form = BaseForm();
  if (!form) return;
  form->DropPageCache();
  form->show();
  form->setFocus();
  if (TMouseEventHandler *handler = form->Handler()) handler->update();
  form->update();
}

} // namespace

QStringList BookFileExts() {
  return {QStringLiteral(".lmm"), QStringLiteral(".lmm2")};
}

// ---- TBookLoader ----

QString TBookLoader::LoadFromFile(const QString &aFName) {
  FError.clear();
  bool read = false;
  try {
    QString header;
    read = fBook->LoadFromFile(aFName, header);
  } catch (const std::exception &) {
    // The current reader took the header but could read no page: the book
    // is damaged (an older book is still tried next).
    if (fBook->ReadResult != TBookRead::brNotABook) fBook->ReadResult = TBookRead::brDamaged;
    read = false;
  }
  // A book whose header was taken but of which no page could be read is
  // no read at all: an older book is tried next.
  if (read && fBook->ReadResult == TBookRead::brDamaged && fBook->PagesRead == 0) read = false;
  if (read) {
    if (FileVersion() <= 0) FError = QStringLiteral("このファイルは開きません。");
    fBookVersion = FileVersion();
    return QString();
  }
  fBookVersion = FileVersion();
  const bool cancelled = fBook->ReadResult == TBookRead::brCancelled;
  if (!cancelled && FileVersion() <= 3) {
    fBook->CloseBook();
    fBook->Clear();
    TLegacyBookLoader legacy(fBook);
    try {
      if (legacy.LoadFromFile(aFName)) {
        fBookVersion = legacy.Version();
        // The pages of an older book are made at once: their objects were
        // placed as they were read, not when first shown.
        for (int i = 0; i < fBook->Count(); ++i)
          if (TMetaPage *page = fBook->Pages(i)) page->ReMake();
        return aFName;
      }
    } catch (const Exception &) {
      // Older books open in author mode only: the refusal goes to the caller.
      if (TSysContext::Started() && SysInfo().SysMode() != smAuthor) {
        FError = legacy.Error();
        throw;
      }
      // A version too old to read was said by the reader itself; any other
      // refusal means the file is no book.
      if (legacy.Error().endsWith(QStringLiteral("Ver1.5以前と判定され読込み不能でした。")))
        fBook->ReadResult = TBookRead::brCannotOpen;
    }
  }
  FError = QStringLiteral("このファイルは開きません。");
  return QString();
}

// ---- TOpenAuthorBook ----

void TOpenAuthorBook::Open(TMetaBook *aClearBook) {
  TOpenBook::Open(nullptr);
  if (aClearBook && aClearBook->Count() > 0) {
    aClearBook->CloseBook();
    aClearBook->Clear();
  }
}

// ---- TOpenFile ----

TOpenFile::TOpenFile(const QString &aOpenFileName, const QString &aOpenMode)
    : fOpenMode(aOpenMode), FOpenFileName(aOpenFileName) {}

bool TOpenFile::Open() {
  CheckOpenableFile(FOpenFileName, BookFileExts());
  TMetaBook *book = CurrentBook();
  if (!book) return false;
  TLoading loading;
  if (book->Count() > 0) {
    book->CloseBook();
    book->Clear();
  }
  TBookLoader loader(book);
  loader.LoadFromFile(FOpenFileName);
  FBookVersion = loader.BookVersion();
  if (!loader.Error().isEmpty()) {
    FOpenError = loader.Error();
    return false;
  }
  if (TSysContext::Started()) SysInfo().SetZoom(1);
  TOpenAuthorBook opener(book, FOpenFileName);
  opener.Open(nullptr);
  opener.SetPage(1);
  opener.DrawThumbnail();
  // An older book shows its first page.
  if (loader.BookVersion() < 2) book->SetPage(1);
  ShowBase();
  return true;
}

bool TOpenFile::Insert() {
  try {
    CheckOpenableFile(FOpenFileName, BookFileExts());
  } catch (const Exception &e) {
    FOpenError =
        QStringLiteral("<") + FOpenFileName + QStringLiteral(">は読み込めません。") + e.Message();
    FOpenFileName.clear();
    return false;
  }
  const QString caption = QApplication::applicationDisplayName();
  const QString ext = QFileInfo(FOpenFileName).suffix().toLower();
  if (ext != QStringLiteral("lmm") && ext != QStringLiteral("lmm2")) {
    MessageBox().Show(QStringLiteral("V2.0以前のファイルは挿入出来ません。"), caption,
                      TMsgButtons::mbOK);
    return false;
  }
  const QString question = QStringLiteral("\"") + QFileInfo(FOpenFileName).fileName() +
                           QStringLiteral("\"を挿入します。\nよろしいですか？");
  if (MessageBox().Show(question, caption, TMsgButtons::mbYesCancel) != TMsgResult::mrYes)
    return false;
  TMetaBook *book = CurrentBook();
  if (!book || book->Count() == 0) return false;
  TLoading loading;
  const int p = std::max(book->Page(), 1);
  // The inserted book is read on its own, the current page closed
  // meanwhile.
  if (book->WorkPage) book->WorkPage->Close();
  book->WorkPage = nullptr;
  std::unique_ptr<TMetaBook> other = NewObject<TAuthorBook>();
  const float version = FileVersion();
  try {
    SetCurrentBook(other.get());
    TBookLoader loader(other.get());
    loader.LoadFromFile(FOpenFileName);
    FBookVersion = loader.BookVersion();
    if (!loader.Error().isEmpty() || !(loader.BookVersion() >= 2))
      throw Exception(FOpenFileName + QStringLiteral(" は読込めませんでした。\n"));
    TOpenBook opener(other.get(), FOpenFileName);
    opener.Open(nullptr);
    opener.SetPage(1);
  } catch (const Exception &e) {
    FOpenError = e.Message();
    other->CloseBook();
    SetCurrentBook(book);
    if (TSysContext::Started()) SysInfo().FileVersion = version;
    book->SetPage(p);
    return false;
  }
  // The pages (not the common page) are copied in before page p.
  std::vector<std::unique_ptr<TCommonObj>> copies;
  for (int i = 1; i < other->Count(); ++i)
    if (TMetaPage *page = other->Pages(i)) copies.push_back(page->CopySelf(0));
  other->CloseBook();
  other.reset();
  SetCurrentBook(book);
  if (TSysContext::Started()) SysInfo().FileVersion = version;
  int at = p;
  for (std::unique_ptr<TCommonObj> &copy : copies) {
    auto *page = dynamic_cast<TMetaPage *>(copy.get());
    if (!page) continue;
    page->SetPage0(book->Pages(0));
    page->Param.Coating = true;
    book->Insert(at++, std::move(copy));
  }
  book->SetPage(p);
  ShowBase();
  return true;
}

} // namespace lumora

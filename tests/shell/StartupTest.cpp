// The base form (paint guard, Loading, the other-copy check and the close
// that empties the temporary media folder) and the opening of the document
// named on the command line.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/book/ActBlockList.h"
#include "core/book/BookClasses.h"
#include "core/drawable/DummyDrawObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/support/TempFiles.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/ProcessList.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/Startup.h"
#include "shell/startup/VersionDlg.h"

namespace lumora::test {
namespace {

constexpr TColor kGreen = 0x00C000;

class FakeProcesses : public IProcessList {
public:
  explicit FakeProcesses(QStringList aNames) : names(std::move(aNames)) {}
  QStringList ExeNames() const override { return names; }
  QStringList names;
};

class StartupTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    auto box = std::make_unique<TStderrMessageBox>();
    messages_ = box.get();
    SetMessageBox(std::move(box));
    TCoreContext::Start();
    RegisterCoreClasses(ObjClassList());
    RegisterBookClasses(ObjClassList());
    RegisterAuthorBookClasses(ObjClassList());
    SetActBlockList(&ActBlockRegistry());
    TProgramPaths paths;
    paths.ProgramFolder = dir_.path() + u'/';
    TSysContext::Start(paths);
    TBaseForm::Painting = false;
  }
  void TearDown() override {
    book_.reset();
    SetCurrentBook(nullptr);
    TTempFileList::Free();
    SetProcessList(nullptr);
    ResetStampMaker();
    ResetStillMaker();
    TSysContext::Reset();
    TCoreContext::Reset();
    SetMessageBox(nullptr);
  }

  TAuthorBook &Book() {
    if (!book_) book_ = NewObject<TAuthorBook>();
    return *book_;
  }
  // A saved book: green common page, page 1 holding a placeholder note;
  // aPages pages in all.
  QString SaveBook(int aPages) {
    std::unique_ptr<TAuthorBook> book = NewObject<TAuthorBook>();
    NewEmptyBook(*book);
    for (int i = 2; i < aPages; ++i) {
      std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
      page->Name = page->CreateName(true);
      book->AddObj(page.release());
    }
    book->Pages(0)->Param.FaceColor = kGreen;
    std::unique_ptr<TDummyDrawObj> note = NewObject<TDummyDrawObj>();
    note->ReName(0);

    book->Pages(1)->AddObj(note.release());
    const QString path = dir_.path() + QStringLiteral("/saved.lmm");
    EXPECT_TRUE(book->SaveToFile(path, QString()));
    book->CloseBook();
    SetCurrentBook(nullptr);
    return path;
  }
  TColor PixelOf(TBaseForm &aForm, int x, int y) {
    aForm.Canvas()->End();
    return FromQColor(static_cast<QImage *>(aForm.Canvas()->Device())->pixelColor(x, y));
  }

  QTemporaryDir dir_;
  TStderrMessageBox *messages_ = nullptr;
  std::unique_ptr<TAuthorBook> book_;
};

TEST_F(StartupTest, BaseFormRegistersAsDrawingBaseAndPaintsTheWorkPage) {
  NewEmptyBook(Book());
  Book().Pages(0)->Param.FaceColor = kGreen;
  {
    TBaseForm form;
    EXPECT_EQ(SysInfo().ObjBase(), &form);
    EXPECT_TRUE(form.FormPaint());
    EXPECT_EQ(PixelOf(form, 10, 10), kGreen); // the common page under page 1
    EXPECT_EQ(PixelOf(form, 801, 602), TBaseForm::kFormColor);
    EXPECT_FALSE(TBaseForm::Painting);
  }
  EXPECT_EQ(SysInfo().ObjBase(), nullptr);
}

TEST_F(StartupTest, PaintGuardAndLoadingSuppressPainting) {
  NewEmptyBook(Book());
  Book().Pages(0)->Param.FaceColor = kGreen;
  TBaseForm form;
  // A re-entered paint shows "Painting", paints nothing and clears the
  // flag, so that the next paint works.
  TBaseForm::Painting = true;
  EXPECT_FALSE(form.FormPaint());
  EXPECT_EQ(messages_->Shown(), QStringList{QStringLiteral("Painting")});
  EXPECT_FALSE(TBaseForm::Painting);
  EXPECT_NE(PixelOf(form, 10, 10), kGreen);
  form.Loading = true;
  EXPECT_FALSE(form.FormPaint());
  EXPECT_NE(PixelOf(form, 10, 10), kGreen);
  form.Loading = false;
  EXPECT_TRUE(form.FormPaint());
  EXPECT_EQ(PixelOf(form, 10, 10), kGreen);
  EXPECT_EQ(messages_->Shown().size(), 1);
}

TEST_F(StartupTest, OtherCopiesAreCountedByExactFileName) {
  struct Case {
    QStringList names;
    bool other;
  };
  const Case cases[] = {
      {{"lumora"}, false},
      {{"lumora", "bash", "Lumora", "lumora.exe"}, false},
      {{"lumora", "lumora"}, true},
      {{"lumora", "LumoraShow.exe"}, true},
      {{"lumora", "lumorashow.exe", "LumoraShow"}, false},
      {{"LumoraShow.exe"}, false}, // only the sibling itself: count 1
  };
  for (const Case &c : cases)
    EXPECT_EQ(TBaseForm::OtherCopyRuns(c.names, QStringLiteral("lumora")), c.other)
        << c.names.join(u',').toStdString();
}

TEST_F(StartupTest, CloseEmptiesTheTempFolderUnlessAnotherCopyRuns) {
  const QString own = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  TTempFileList::Construct(dir_.path() + QStringLiteral("/data"), QStringLiteral("Temp"),
                           dir_.path() + u'/');
  const QString media = TTempFileList::Get().TempPath() + QStringLiteral("clip.wav");
  for (const bool other : {true, false}) {
    QFile file(media);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SetProcessList(std::make_unique<FakeProcesses>(
        other ? QStringList{own, QStringLiteral("LumoraShow.exe")} : QStringList{own}));
    TBaseForm form;
    EXPECT_EQ(form.checkMutex(), other);
    EXPECT_TRUE(form.FormCloseQuery());
    form.FormClose();
    EXPECT_EQ(QFile::exists(media), other);
    EXPECT_TRUE(form.isHidden());
  }
}

TEST_F(StartupTest, CommandLineDocumentOpensWithPageOneAsWorkPage) {
  const QString path = SaveBook(3);
  ASSERT_TRUE(OpenCommandLineDocument(Book(), path));
  EXPECT_EQ(CurrentBook(), &Book());
  EXPECT_EQ(Book().Page(), 1);
  EXPECT_EQ(SysInfo().FileName, path);
  EXPECT_EQ(SysInfo().SysMode(), smAuthor);
  EXPECT_TRUE(messages_->Shown().isEmpty());
  TBaseForm form;
  ASSERT_TRUE(form.FormPaint());
  // The placeholder note, centred on its bounds' top-left corner (0, 0).
  EXPECT_EQ(PixelOf(form, 56, 10), TColor(0));        // the note's frame
  EXPECT_EQ(PixelOf(form, 45, 14), TColor(0xFFFFFF)); // and its face
  EXPECT_EQ(PixelOf(form, 100, 100), kGreen);
}

TEST_F(StartupTest, BookWithOnlyTheCommonPageShowsPageZero) {
  std::unique_ptr<TAuthorBook> one = NewObject<TAuthorBook>();
  SetCurrentBook(one.get());
  std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
  page->Name = page->CreateName(true);
  one->AddObj(page.release());
  const QString path = dir_.path() + QStringLiteral("/common.lmm");
  ASSERT_TRUE(one->SaveToFile(path, QString()));
  one.reset();
  ASSERT_TRUE(OpenCommandLineDocument(Book(), path));
  EXPECT_EQ(Book().Page(), 0);
}

TEST_F(StartupTest, UnreadableDocumentGivesTheMessageAndAnEmptyBook) {
  const QString missing = dir_.path() + QStringLiteral("/missing.lmm");
  const QString corrupt = dir_.path() + QStringLiteral("/corrupt.lmm");
  {
    QFile source(SaveBook(2));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    QFile out(corrupt);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(bytes.size() / 2));
  }
  for (const QString &path : {missing, corrupt}) {
    EXPECT_FALSE(OpenCommandLineDocument(Book(), path)) << path.toStdString();
    EXPECT_EQ(CurrentBook(), &Book());
    EXPECT_EQ(Book().Page(), 1);
    EXPECT_NE(Book().Pages(1), nullptr);
    EXPECT_EQ(Book().Pages(2), nullptr);
    EXPECT_TRUE(SysInfo().FileName.isEmpty());
  }
  // A missing file is named; a cut-off book is refused as the book loader
  // refuses it.
  EXPECT_EQ(messages_->Shown(), (QStringList{QStringLiteral("ファイルがありません：") + missing,
                                             QStringLiteral("このファイルは開きません。")}));
}

} // namespace
} // namespace lumora::test

namespace lumora::test {
namespace {

TEST(VersionDlgTest, VersionInfoComesFromTheApplicationObject) {
  QCoreApplication::setOrganizationName(QStringLiteral("Lumora"));
  QCoreApplication::setApplicationVersion(QString(300, u'9'));
  EXPECT_EQ(kVerResourceKeyNames[vrComments], std::string("Comments"));
  EXPECT_EQ(kVerResourceKeyNames[vrSpecialBuild], std::string("SpecialBuild"));
  EXPECT_EQ(TCustomVersionDlg::GetVersionInfo(vrCompanyName), QStringLiteral("Lumora"));
  EXPECT_EQ(TCustomVersionDlg::GetVersionInfo(vrFileVersion).size(), 255); // cut
  EXPECT_TRUE(TCustomVersionDlg::GetVersionInfo(vrLegalTrademarks).isEmpty());
  TVersionDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バージョン情報"));
  EXPECT_EQ(dialog.size(), QSize(394, 225));
  QCoreApplication::setApplicationVersion(QString());
  QCoreApplication::setOrganizationName(QString());
}

} // namespace
} // namespace lumora::test

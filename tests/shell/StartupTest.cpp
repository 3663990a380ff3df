// The base form (paint guard, Loading, the other-copy check and the close
// that empties the temporary media folder) and the opening of the document
// named on the command line.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "core/book/ActBlockList.h"
#include "core/book/BookClasses.h"
#include "core/drawable/CoreClasses.h"
#include "core/drawable/DummyDrawObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "platform/system/ProcessList.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "shell/startup/VersionDlg.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

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
    StartShell(
        CoreStartup({.RegisterClasses = RegisterProgramClasses, .ProgramFolder = dir_.path()}));
    TBaseForm::Painting = false;
  }
  void TearDown() override {
    book_.reset();
    SetCurrentBook(nullptr);
    TCoreContext::Reset();
    SetProcessList(nullptr);
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
      book->AddObj(std::move(page));
    }
    book->Pages(0)->Param.FaceColor = kGreen;
    std::unique_ptr<TDummyDrawObj> note = NewObject<TDummyDrawObj>();
    note->ReName(0);

    book->Pages(1)->AddObj(std::move(note));
    const QString path = dir_.path() + QStringLiteral("/saved.lmm");
    EXPECT_TRUE(book->SaveToFile(path, QString()));
    book->CloseBook();
    SetCurrentBook(nullptr);
    return path;
  }
  static QByteArray ReadFile(const QString &aPath) {
    QFile file(aPath);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << aPath.toStdString();
    return file.readAll();
  }
  static void WriteFile(const QString &aPath, const QByteArray &aBytes) {
    QFile file(aPath);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << aPath.toStdString();
    file.write(aBytes);
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

TEST_F(StartupTest, BaseFormRepaintsWhatMakersReport) {
  NewEmptyBook(Book());
  Book().Pages(0)->Param.FaceColor = kGreen;
  TBaseForm form;
  ASSERT_EQ(TMakeInfo2::Get().Base, &form); // makers report to the page window
  auto *rect = static_cast<TTestRect *>(Book().WorkPage->AddObj(NewObject<TTestRect>()));
  rect->Place({{100, 100}, {200, 100}, {200, 150}, {100, 150}});
  form.DropPageCache();
  ASSERT_TRUE(form.FormPaint());
  EXPECT_EQ(PixelOf(form, 150, 125), kFace);
  // A change the makers do not report stays unseen until the page is
  // painted in full: the page comes from the cache.
  rect->Param.FaceColor = clYellow;
  rect->ReMake();
  form.FormPaint();
  EXPECT_EQ(PixelOf(form, 150, 125), kFace);
  form.DropPageCache();
  form.FormPaint();
  EXPECT_EQ(PixelOf(form, 150, 125), clYellow);
  // A re-make to new grab points repaints where the figure was and where
  // it is now; the rest of the page is kept.
  rect->Maker()->ReMake(TGrabRect{{300, 200}, {400, 200}, {400, 250}, {300, 250}});
  form.FormPaint();
  EXPECT_EQ(PixelOf(form, 150, 125), kGreen);
  EXPECT_EQ(PixelOf(form, 350, 225), clYellow);
  EXPECT_EQ(PixelOf(form, 801, 602), TBaseForm::kFormColor);
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
  one->AddObj(std::move(page));
  const QString path = dir_.path() + QStringLiteral("/common.lmm");
  ASSERT_TRUE(one->SaveToFile(path, QString()));
  one.reset();
  ASSERT_TRUE(OpenCommandLineDocument(Book(), path));
  EXPECT_EQ(Book().Page(), 0);
}

TEST_F(StartupTest, UnreadableDocumentGivesTheMessageAndAnEmptyBook) {
  const QString missing = dir_.path() + QStringLiteral("/missing.lmm");
  const QString corrupt = dir_.path() + QStringLiteral("/corrupt.lmm");
  const QByteArray bytes = ReadFile(SaveBook(2));
  WriteFile(corrupt, bytes.left(bytes.size() / 2));
  for (const QString &path : {missing, corrupt}) {
    EXPECT_FALSE(OpenCommandLineDocument(Book(), path)) << path.toStdString();
    EXPECT_EQ(CurrentBook(), &Book());
    EXPECT_EQ(Book().Page(), 1);
    EXPECT_NE(Book().Pages(1), nullptr);
    EXPECT_EQ(Book().Pages(2), nullptr);
    EXPECT_TRUE(SysInfo().FileName.isEmpty());
  }
  // A missing file is named; a book cut before its first page is damaged.
  EXPECT_EQ(messages_->Shown(), (QStringList{QStringLiteral("ファイルがありません：") + missing,
                                             msg::DamagedUnreadable(corrupt)}));
}

// A book that breaks part-way opens with the pages read and one message
// naming the file; saving it over the file keeps the original.
TEST_F(StartupTest, DamagedDocumentShowsThePagesReadAndKeepsTheOriginal) {
  const QByteArray bytes = ReadFile(SaveBook(4));
  // Page 2's entry is named by the third page offset behind the page count.
  auto int32At = [&](qsizetype aAt) { return qFromLittleEndian<int32_t>(bytes.constData() + aAt); };
  const qsizetype mainIndex = 4 + int32At(0);
  const qsizetype section = int32At(mainIndex + 8);
  const qsizetype page2 = int32At(section + 4 + 8);
  const QString path = dir_.path() + QStringLiteral("/壊れた本.lmm");
  const QByteArray cut = bytes.left(page2 + 20);
  WriteFile(path, cut);
  ASSERT_TRUE(OpenCommandLineDocument(Book(), path));
  EXPECT_EQ(messages_->Shown(), QStringList{msg::DamagedPartly(path, 1, 3)});
  EXPECT_TRUE(messages_->Shown().at(0).contains(QStringLiteral("全3ページのうち、1ページまで")));
  EXPECT_EQ(Book().Page(), 1);
  EXPECT_EQ(Book().Pages(2), nullptr);
  EXPECT_EQ(SysInfo().FileName, path);
  TBaseForm form;
  ASSERT_TRUE(form.FormPaint());
  EXPECT_EQ(PixelOf(form, 100, 100), kGreen);
  EXPECT_EQ(PixelOf(form, 56, 10), TColor(0)); // page 1's note

  // The message box's default answer saves beside the damaged file.
  EXPECT_TRUE(Book().SaveToFile(SysInfo().FileName, QString()));
  EXPECT_EQ(ReadFile(path), cut);
  const QString beside = dir_.path() + QStringLiteral("/壊れた本（読込分）.lmm");
  EXPECT_EQ(SysInfo().FileName, beside);
  EXPECT_TRUE(QFileInfo::exists(beside));
  EXPECT_EQ(messages_->Shown().size(), 2); // the message, then the question
}

// Every failure shows exactly one message, in our words, naming the file.
TEST_F(StartupTest, EachUnopenableDocumentShowsOneMessage) {
  const QString folder = dir_.path() + QStringLiteral("/フォルダー.lmm");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString text = dir_.path() + QStringLiteral("/memo.lmm");
  WriteFile(text, "just some text, not a book");
  // A book's header and nothing else.
  const QString header = dir_.path() + QStringLiteral("/header.lmm");
  const QByteArray bytes = ReadFile(SaveBook(2));
  WriteFile(header, bytes.left(4 + qFromLittleEndian<int32_t>(bytes.constData()) + 6));
  const std::pair<QString, QString> cases[] = {
      {folder, msg::IsFolder(folder)},
      {header, msg::DamagedUnreadable(header)},
  };
  for (const auto &[path, message] : cases) {
    SCOPED_TRACE(path.toStdString());
    const qsizetype before = messages_->Shown().size();
    EXPECT_FALSE(OpenCommandLineDocument(Book(), path));
    ASSERT_EQ(messages_->Shown().size(), before + 1);
    EXPECT_EQ(messages_->Shown().last(), message);
    EXPECT_NE(Book().Pages(1), nullptr); // an empty new book
  }
  // A text file: the version question (answered OK by default) comes
  // first, then the one message.
  const qsizetype before = messages_->Shown().size();
  EXPECT_FALSE(OpenCommandLineDocument(Book(), text));
  EXPECT_EQ(messages_->Shown().mid(before),
            (QStringList{OldVersionQuestionText(QStringLiteral("memo.lmm")), msg::NotABook(text)}));
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

namespace lumora::test {
namespace {

// The window's client size for a page on an 800 x 600 screen whose window
// frame takes 4 pixels at the sides and bottom and 30 at the top (room for
// 792 x 566), with scroll bars 16 wide.
TEST(FittedWindowSizeTest, PageLargerThanTheScreenIsCutWithRoomForItsBars) {
  struct Case {
    QSize page;
    QSize window;
    const char *what;
  };
  const Case cases[] = {
      {{640, 480}, {640, 480}, "fits: the page's own size"},
      {{792, 566}, {792, 566}, "fits exactly"},
      {{1600, 1200}, {792, 566}, "larger both ways"},
      {{1000, 400}, {792, 416}, "wide: the height grows by the bar"},
      {{1000, 560}, {792, 566}, "wide, and the bar brings the other"},
      {{500, 900}, {516, 566}, "tall: the width grows by the bar"},
      {{780, 900}, {792, 566}, "tall, and the bar brings the other"},
  };
  const QRect screen(0, 0, 800, 600);
  const QMargins frame(4, 30, 4, 4);
  for (const Case &c : cases)
    EXPECT_EQ(FittedWindowSize(c.page, screen, frame, 16), c.window) << c.what;
}

TEST(FittedWindowSizeTest, AvailableAreaAndFrameBoundTheWindow) {
  // A panel at the top leaves 800 x 572 from y = 28; without a frame the
  // window may fill that area.
  EXPECT_EQ(FittedWindowSize({1024, 768}, QRect(0, 28, 800, 572), QMargins(), 16), QSize(800, 572));
  EXPECT_EQ(FittedWindowSize({800, 572}, QRect(0, 28, 800, 572), QMargins(), 16), QSize(800, 572));
  // No screen to fit to (or one smaller than the frame): the page's size.
  EXPECT_EQ(FittedWindowSize({1024, 768}, QRect(), QMargins(4, 30, 4, 4), 16), QSize(1024, 768));
  EXPECT_EQ(FittedWindowSize({1024, 768}, QRect(0, 0, 8, 30), QMargins(4, 30, 4, 4), 16),
            QSize(1024, 768));
}

} // namespace
} // namespace lumora::test

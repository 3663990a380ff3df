// The author book's pages (made after the current one, removed with their
// common page handed on) and the author page's zoom (objects scaled in
// place while their page is open, put back exactly when it closes).
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/books/AuthorPageZoom.h"
#include "shell/books/OpenFile.h"
#include "shell/input/AuthorHandler.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/LegacyBookWriter.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

class AuthorBookTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    StartShell(CoreStartup({.RegisterClasses = RegisterProgramClasses,
                            .SystemState = true,
                            .ProgramFolder = dir_.path()}));
    ObjClassList().Add<TTestRect>();
    TMakeInfo2::Get().NameParent().SetSleeper([](int) {});
    book_ = NewObject<TAuthorBook>();
    NewEmptyBook(*book_);
  }
  void TearDown() override {
    book_.reset();
    SetCurrentBook(nullptr);
    SysInfo().SetZoom(1);
    TCoreContext::Reset();
  }
  TTestRect *Place(TCustomCompo *aPage, double x, double y) {
    std::unique_ptr<TTestRect> made = NewObject<TTestRect>();
    made->ReName(0);
    auto *obj = static_cast<TTestRect *>(aPage->AddObj(std::move(made)));
    obj->Place({{x, y}, {x + 100, y}, {x + 100, y + 50}, {x, y + 50}});
    return obj;
  }
  // The pages by their values, in book order.
  std::vector<int> Numbers() const {
    std::vector<int> numbers;
    for (int i = 0; i < book_->Count(); ++i)
      numbers.push_back(book_->Pages(i)->Param.ObjValue());
    return numbers;
  }

  QTemporaryDir dir_;
  std::unique_ptr<TAuthorBook> book_;
};

TEST_F(AuthorBookTest, PagesAreMadeAfterTheCurrentAndRemovedWithTheirCommonPageHandedOn) {
  ASSERT_EQ(book_->Count(), 2);
  TMetaPage *first = book_->Pages(1);
  // A page made at 1 follows page 1 and shows.
  TAuthorPage *made = book_->CreatePageAt(1);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(book_->Pages(2), made);
  EXPECT_EQ(book_->WorkPage, made);
  EXPECT_EQ(made->Page0(), book_->Pages(0));
  // AddPage after page 2 (the current one).
  book_->AddPage();
  ASSERT_EQ(book_->Count(), 4);
  EXPECT_EQ(book_->Page(), 3);
  // The common page cannot go; removing the last page shows the new last.
  book_->RemovePage(0);
  EXPECT_EQ(book_->Count(), 4);
  book_->RemovePage(3);
  EXPECT_EQ(book_->Count(), 3);
  EXPECT_EQ(book_->Page(), 2);
  // A page whose common page goes paints its own background.
  made->SetPage0(first);
  book_->RemovePage(1);
  EXPECT_EQ(made->Page0(), nullptr);
  EXPECT_TRUE(made->Param.Coating);
  EXPECT_EQ(book_->WorkPage, made);
  // Removing the only ordinary page leaves a fresh page 1.
  book_->RemovePage(1);
  ASSERT_EQ(book_->Count(), 2);
  EXPECT_NE(book_->Pages(1), made);
  EXPECT_EQ(book_->WorkPage, book_->Pages(1));
  EXPECT_EQ(book_->Pages(1)->Count(), 0);
}

TEST_F(AuthorBookTest, ZoomScalesTheOpenPageAndPutsItBackExactly) {
  TMetaPage *page = book_->Pages(1);
  TTestRect *still = Place(page, 10.3, 20.7);
  TTestRect *moved = Place(page, 100, 100);
  const std::vector<TRealPoint> before = still->Polygon();
  struct Case {
    long double zoom;
    bool scales;
  };
  for (const Case c : {Case{2.0L, true}, Case{1.0004L, false}, Case{1.0L, false}}) {
    SCOPED_TRACE(double(c.zoom));
    book_->SetPage(0);
    SysInfo().SetZoom(c.zoom);
    book_->SetPage(1);
    const double expected = c.scales ? double(c.zoom) : 1.0;
    EXPECT_EQ(still->Polygon()[2], (TRealPoint{110.3 * expected, 70.7 * expected}));
    book_->SetPage(0);
    EXPECT_EQ(still->Polygon(), before);
  }
  // A point moved while zoomed keeps the move, the others return.
  SysInfo().SetZoom(2);
  book_->SetPage(1);
  auto *represent = Supports<IRepresent>(moved);
  std::vector<TRealPoint> points = moved->Polygon();
  points[0] = TRealPoint{150, 160};
  represent->SetPolygon(points);
  book_->SetPage(0);
  EXPECT_EQ(moved->Polygon()[0], (TRealPoint{75, 80}));
  EXPECT_EQ(moved->Polygon()[1], (TRealPoint{200, 100}));
}

// The page as the base form paints it: the pixel at (x, y).
TColor PixelOf(TBaseForm &aForm, int x, int y) {
  aForm.DropPageCache();
  EXPECT_TRUE(aForm.FormPaint());
  aForm.Canvas()->End();
  return FromQColor(static_cast<QImage *>(aForm.Canvas()->Device())->pixelColor(x, y));
}

TEST_F(AuthorBookTest, LowPriorityObjectsComeToTheFrontAndTheEdgesShowFromVersionThree) {
  TMetaPage *page = book_->Pages(1);
  TTestRect *low = Place(page, 100, 100);
  TTestRect *high = Place(page, 150, 120);
  low->Param.Priority = 30;
  low->Param.FaceColor = 0x00FF00;
  high->Param.Priority = 60;
  for (TTestRect *obj : {low, high})
    obj->ReMake();
  ASSERT_EQ(page->Items(0), low);
  TBaseForm form;
  form.resize(TBaseForm::kDesignWidth, TBaseForm::kDesignHeight);
  const TRealPoint overlap{175, 130};
  EXPECT_EQ(PixelOf(form, 175, 130), kFace);
  EXPECT_EQ(page->Search(overlap, k_noRock), high);
  SysInfo().FunctionTopDraw = true;
  EXPECT_EQ(PixelOf(form, 175, 130), TColor(0x00FF00));
  EXPECT_EQ(page->Search(overlap, k_noRock), low);
  SysInfo().FunctionTopDraw = false;
  // The page's right edge, dotted, only from format version 3 on.
  SysInfo().FileVersion = 2;
  const TColor plain = PixelOf(form, 800, 300);
  EXPECT_NE(plain, TColor(0xC4C8C0));
  SysInfo().FileVersion = 3;
  const TColor edge1 = PixelOf(form, 800, 300), edge2 = PixelOf(form, 800, 301);
  EXPECT_TRUE(edge1 == TColor(0xC4C8C0) || edge2 == TColor(0xC4C8C0));
}

TEST_F(AuthorBookTest, TheActiveObjectShowsRightAboveTheObjectItLinksTo) {
  TMetaPage *page = book_->Pages(1);
  TTestRect *active = Place(page, 100, 100);
  TTestRect *over = Place(page, 150, 120);
  TTestRect *top = Place(page, 180, 125);
  active->Param.FaceColor = 0x00FF00;
  top->Param.FaceColor = 0xFF0000;
  for (TTestRect *obj : {active, over, top})
    obj->ReMake();
  TBaseForm form;
  form.resize(TBaseForm::kDesignWidth, TBaseForm::kDesignHeight);
  auto *handler = new TAuthorHandler(&form, &form, [] { return CurrentWorkPage(); });
  handler->Construct(nullptr);
  EXPECT_EQ(PixelOf(form, 175, 130), kFace); // under the second figure
  active->GetLink()->SetLinkedObj(over);
  handler->SetActiveObj(active);
  EXPECT_EQ(PixelOf(form, 175, 130), TColor(0x00FF00)); // now above it
  EXPECT_EQ(PixelOf(form, 190, 130), TColor(0xFF0000)); // still under the third
  delete handler;
}

// A page panel of a given client size.
class TFakePanel : public IGraphicPanel {
public:
  TRect ClientRect() const override { return client; }
  bool Showing() const override { return showing; }
  TRect client{0, 0, 1600, 1200};
  bool showing = true;
};

TEST_F(AuthorBookTest, ThePageZoomFitsThePanel) {
  TFakePanel panel;
  TAuthPageZoomEx zoom(&panel, book_.get());
  long double delta = 0;
  // 800 x 600 in a panel twice as wide: twice the size.
  ASSERT_TRUE(zoom.ComputeZoom(delta));
  EXPECT_DOUBLE_EQ(double(delta), 2.0);
  EXPECT_DOUBLE_EQ(double(book_->WorkPage->Zoom()), 2.0);
  EXPECT_DOUBLE_EQ(double(SysInfo().Zoom()), 2.0);
  EXPECT_FALSE(zoom.ComputeZoom(delta)); // nothing changes
  // A tall page fits by its height.
  book_->WinWidth = 300;
  book_->WinHeight = 600;
  panel.client = TRect{0, 0, 1000, 300};
  ASSERT_TRUE(zoom.ComputeZoom(delta));
  EXPECT_DOUBLE_EQ(double(book_->WorkPage->Zoom()), 0.5);
  // The book's own zoom, for a panel that does not show, does nothing.
  panel.showing = false;
  panel.client = TRect{0, 0, 600, 1200};
  book_->Resize(&panel);
  EXPECT_DOUBLE_EQ(double(book_->WorkPage->Zoom()), 0.5);
  panel.showing = true;
  book_->Resize(&panel);
  EXPECT_DOUBLE_EQ(double(book_->WorkPage->Zoom()), 2.0);
}

// Answers every question with aAnswer and keeps the texts.
class TAnswerBox : public IMessageBox {
public:
  explicit TAnswerBox(TMsgResult aAnswer) : answer(aAnswer) {}
  TMsgResult Show(const QString &aText, const QString &, TMsgButtons) override {
    shown.append(aText);
    return answer;
  }
  TMsgResult answer;
  QStringList shown;
};

TEST_F(AuthorBookTest, InsertPutsTheBooksPagesBeforeTheCurrentPage) {
  // A book of two pages, one figure each, saved.
  const QString other = dir_.path() + QStringLiteral("/挿入.lmm");
  Place(book_->Pages(1), 10, 10);
  book_->CreatePageAt(1);
  Place(book_->Pages(2), 20, 20);
  ASSERT_EQ(book_->Count(), 3);
  ASSERT_TRUE(book_->SaveToFile(other, QString()));
  // The current book: three ordinary pages, page 3 current.
  book_->NewPageCreate(QString());
  book_->CreatePageAt(1);
  book_->CreatePageAt(2);
  ASSERT_EQ(book_->Count(), 4);
  TMetaPage *third = book_->Pages(3);
  book_->SetPage(3);
  auto box = std::make_unique<TAnswerBox>(TMsgResult::mrYes);
  TAnswerBox *answers = box.get();
  SetMessageBox(std::move(box));
  TOpenFile opener(other, QStringLiteral("編集"));
  ASSERT_TRUE(opener.Insert()) << opener.OpenError().toStdString();
  EXPECT_EQ(answers->shown,
            QStringList{QStringLiteral("\"挿入.lmm\"を挿入します。\nよろしいですか？")});
  ASSERT_EQ(book_->Count(), 6);
  EXPECT_EQ(book_->Pages(5), third);
  for (int i : {3, 4}) {
    EXPECT_EQ(book_->Pages(i)->Page0(), book_->Pages(0));
    EXPECT_TRUE(book_->Pages(i)->Param.Coating);
    EXPECT_EQ(book_->Pages(i)->Count(), 1);
  }
  EXPECT_EQ(book_->Page(), 3);
  EXPECT_EQ(CurrentBook(), book_.get());
  // A refused insert, an older format and an unreadable file change nothing.
  answers->answer = TMsgResult::mrCancel;
  EXPECT_FALSE(opener.Insert());
  const QString old = dir_.path() + QStringLiteral("/古い.lmm3");
  QFile::copy(other, old);
  EXPECT_FALSE(TOpenFile(old, QStringLiteral("編集")).Insert());
  EXPECT_EQ(answers->shown.last(), QStringLiteral("V2.0以前のファイルは挿入出来ません。"));
  const QString junk = dir_.path() + QStringLiteral("/壊れ.lmm");
  QFile file(junk);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a book at all");
  file.close();
  answers->answer = TMsgResult::mrYes;
  TOpenFile bad(junk, QStringLiteral("編集"));
  EXPECT_FALSE(bad.Insert());
  EXPECT_FALSE(bad.OpenError().isEmpty());
  EXPECT_EQ(book_->Count(), 6);
  EXPECT_EQ(book_->Page(), 3);
  EXPECT_EQ(CurrentBook(), book_.get());
  SetMessageBox(nullptr);
}

TEST_F(AuthorBookTest, AnOlderBookOpensThroughTheLegacyReaderAtPageOne) {
  const QString old = dir_.path() + QStringLiteral("/old.lmm");
  ASSERT_TRUE(WriteOldBookFile(old));
  TOpenFile opener(old, QStringLiteral("編集"));
  ASSERT_TRUE(opener.Open()) << opener.OpenError().toStdString() << " version "
                             << SysInfo().FileVersion;
  EXPECT_LT(opener.BookVersion(), 2);
  ASSERT_GE(book_->Count(), 2);
  EXPECT_EQ(book_->Page(), 1);
  EXPECT_EQ(book_->Pages(1)->Count(), 1);
}

TEST_F(AuthorBookTest, AnOlderBookIsRefusedInPresentationMode) {
  const QString old = dir_.path() + QStringLiteral("/old.lmm");
  ASSERT_TRUE(WriteOldBookFile(old));
  SysInfo().SetSysMode(smExec);
  try {
    TOpenFile(old, QStringLiteral("実行")).Open();
    ADD_FAILURE() << "opened";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("V2.0以前のファイルは編集モードで読込みます。"));
  }
  SysInfo().SetSysMode(smAuthor);
}

TEST_F(AuthorBookTest, OpenRefusesMissingFilesAndOtherKinds) {
  try {
    TOpenFile(dir_.path() + QStringLiteral("/無い.lmm"), QStringLiteral("編集")).Open();
    ADD_FAILURE();
  } catch (const Exception &e) {
    EXPECT_TRUE(e.Message().startsWith(QStringLiteral("ファイルがありません：")));
  }
  const QString text = dir_.path() + QStringLiteral("/a.txt");
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  try {
    TOpenFile(text, QStringLiteral("編集")).Open();
    ADD_FAILURE();
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("a.txt は開けません。"));
  }
}

} // namespace
} // namespace lumora::test

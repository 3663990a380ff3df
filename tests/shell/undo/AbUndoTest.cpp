// The author undo stack on a real author page: what is recorded and what
// not, repeats, one undo per user action, deletion with links, multi-
// selections, the page the records belong to, and withdrawing the top.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/book/MetaBook.h"
#include "core/drawable/ActionObj.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/books/AuthorBook.h"
#include "shell/input/MultiTrac.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "shell/undo/AbUndo.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

LUMORA_DRAW_TEST_KIND(TUndoMovie, "テスト動画", ({otSurface, otMovie}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TUndoNoSave, "テスト非保存", ({otSurface, otNoSave}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TUndoClockRect, "時計", ({otSurface}), ({atShow}))

class TAnyMultiLink : public TMultiLink {
public:
  using TMultiLink::TMultiLink;
  bool CanLink(TCommonObj *aObj) override { return aObj != nullptr; }
};

// An action object whose targets are a list.
class TUndoMultiAct : public TMultiLinkAction {
  LUMORA_OBJECT(TUndoMultiAct, TMultiLinkAction)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = 402;
    info.Name = QStringLiteral("テスト複動作");
    info.FormType = {otAction};
    info.ActType = {awAction};
    return info;
  }
  void CreateMode(TSysMode) override {
    FMaker = std::make_unique<TActMake>(this);
    FLink = std::make_unique<TAnyMultiLink>(this, nullptr);
  }

protected:
  TUndoMultiAct() : TMultiLinkAction(Param0()) {}
  static TObjParam Param0() {
    TObjParam param;
    param.ObjName = QStringLiteral("テスト複動作");
    param.Layer = 10;
    param.Priority = 30;
    param.Grabs = 1;
    return param;
  }
};

// A selection of given objects.
class TListTrac : public TMultiTrac {
public:
  explicit TListTrac(std::vector<TCommonObj *> aObjs) : objs(std::move(aObjs)) {}
  void AddObj(TCommonObj *aObj, TMouseEventHandler *) override { objs.push_back(aObj); }
  void DragDraw(int, int) override {}
  void CloseDrag() override {}
  void Move(TRealPoint) override {}
  int Count() const override { return int(objs.size()); }
  TCommonObj *GetObjs(int i) const override { return objs.at(size_t(i)); }
  std::vector<TCommonObj *> objs;
};

void RegisterUndoKinds(TObjClassList &aList) {
  RegisterProgramClasses(aList);
  aList.Add<TTestRect>();
  aList.Add<TUndoMovie>();
  aList.Add<TUndoNoSave>();
  aList.Add<TUndoClockRect>();
  aList.Add<TUndoMultiAct>();
}

class AbUndoTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    StartShell(CoreStartup(
        {.RegisterClasses = RegisterUndoKinds, .SystemState = true, .ProgramFolder = dir_.path()}));
    TMakeInfo2::Get().NameParent().SetSleeper([](int) {});
    undo_ = AbUndo();
    ASSERT_NE(undo_, nullptr);
    book_ = NewObject<TAuthorBook>();
    NewEmptyBook(*book_);
    page_ = book_->WorkPage;
    undo_->SetWorkPage(page_);
  }
  void TearDown() override {
    if (!TCoreContext::Started()) return;
    book_.reset();
    SetCurrentBook(nullptr);
    TCoreContext::Reset();
  }

  template <class T = TTestRect> T *Place(double x, double y, TCustomCompo *aPage = nullptr) {
    std::unique_ptr<T> made = NewObject<T>();
    made->ReName(0);
    T *obj = static_cast<T *>((aPage ? aPage : page_)->AddObj(std::move(made)));
    obj->Place({{x, y}, {x + 100, y}, {x + 100, y + 50}, {x, y + 50}});
    return obj;
  }
  TUndoMultiAct *PlaceAct(double x, double y) {
    std::unique_ptr<TUndoMultiAct> made = NewObject<TUndoMultiAct>();
    made->ReName(0);
    auto *act = static_cast<TUndoMultiAct *>(page_->AddObj(std::move(made)));
    act->SetAnchor({x, y});
    return act;
  }
  void Remove(TCommonObj *aObj) { ASSERT_TRUE(page_->RemoveObj(aObj)); }
  static TRealPoint First(TCommonObj *aObj) { return aObj->Polygon().front(); }
  static std::vector<int64_t> PartnerIds(TCommonObj *aObj) {
    std::vector<int64_t> ids;
    for (int i = 0; i < aObj->GetLink()->LinkCount(); ++i)
      ids.push_back(aObj->GetLink()->GetLink(i)->Id());
    return ids;
  }

  QTemporaryDir dir_;
  TAbUndo *undo_ = nullptr;
  std::unique_ptr<TAuthorBook> book_;
  TMetaPage *page_ = nullptr;
};

TEST_F(AbUndoTest, RecordsNothingWhileOffForMoviesUnsavedAndObjectsWithoutId) {
  TTestRect *rect = Place(10, 10);
  undo_->SetWorkPage(nullptr);
  undo_->Add(kUndoEdit, rect);
  EXPECT_EQ(undo_->Count(), 0);
  EXPECT_FALSE(undo_->Enabled());

  undo_->SetWorkPage(page_);
  undo_->Add(kUndoEdit, Place<TUndoMovie>(20, 20));
  undo_->Add(kUndoDelete, Place<TUndoNoSave>(30, 30));
  TTestRect *noId = Place(40, 40);
  noId->SetId(-5);
  for (int op : {kUndoCreate, kUndoEdit, kUndoPriority})
    undo_->Add(op, noId);
  undo_->Add(kUndoEdit, nullptr);
  EXPECT_EQ(undo_->Count(), 0);
  EXPECT_FALSE(undo_->CanUndo());
  // A deletion is recorded whatever the id.
  undo_->Add(kUndoDelete, noId);
  EXPECT_EQ(undo_->Count(), 1);
}

TEST_F(AbUndoTest, TheUndoNumberAdvancesWhenARepeatIsDropped) {
  TTestRect *rect = Place(10, 10);
  undo_->Add(kUndoEdit, rect);
  undo_->Add(kUndoEdit, rect);
  EXPECT_EQ(undo_->Count(), 1);
  EXPECT_EQ(undo_->UndoNo(), 2);
}

TEST_F(AbUndoTest, TenNudgesUndoInOneStepAndTwoDragsInTwo) {
  TTestRect *rect = Place(10, 10);
  for (int i = 0; i < 10; ++i) {
    undo_->Add(kUndoNudge, rect);
    rect->Move(TRealPoint{1, 0});
  }
  EXPECT_EQ(undo_->Count(), 1);
  EXPECT_EQ(undo_->ExecuteUndo(), rect);
  EXPECT_EQ(First(rect), (TRealPoint{10, 10}));
  EXPECT_FALSE(undo_->CanUndo());
  EXPECT_TRUE(undo_->Enabled());

  for (int i = 0; i < 2; ++i) {
    undo_->Add(kUndoDrag, rect);
    rect->Move(TRealPoint{30, 5});
  }
  ASSERT_EQ(undo_->Count(), 2);
  undo_->ExecuteUndo();
  EXPECT_EQ(First(rect), (TRealPoint{40, 15}));
  undo_->ExecuteUndo();
  EXPECT_EQ(First(rect), (TRealPoint{10, 10}));
}

TEST_F(AbUndoTest, AGripDragKeepsOneEditEntryAndUndoRestoresTheObject) {
  TTestRect *rect = Place(10, 10);
  const std::vector<TRealPoint> before = rect->Polygon();
  for (int move = 0; move < 50; ++move)
    undo_->Add(kUndoEdit, rect);
  EXPECT_EQ(undo_->Count(), 1);
  rect->Place({{0, 0}, {300, 0}, {300, 200}, {0, 200}});
  rect->Param.FaceColor = 0x00FF00;
  undo_->Add(kUndoEdit, rect); // changed since: a new entry
  EXPECT_EQ(undo_->Count(), 2);
  undo_->ExecuteUndo();
  undo_->ExecuteUndo();
  EXPECT_EQ(rect->Polygon(), before);
  EXPECT_EQ(rect->Param.FaceColor, kFace);
}

TEST_F(AbUndoTest, AClockRepeatsItsEditEntryUnlessItsHandsWereReleased) {
  TUndoClockRect *clock = Place<TUndoClockRect>(10, 10);
  undo_->Add(kUndoEdit, clock);
  clock->Move(TRealPoint{5, 5});
  undo_->Add(kUndoEdit, clock);
  EXPECT_EQ(undo_->Count(), 1);
  undo_->Add(kUndoClock, clock);
  EXPECT_EQ(undo_->Count(), 2);
}

TEST_F(AbUndoTest, UndoingADeletionBringsBackTheObjectItsIdPlaceAndLinks) {
  TTestRect *linker = Place(10, 10);
  TTestRect *gone = Place(200, 10);
  TTestRect *target = Place(400, 10);
  Place(10, 300);
  TUndoMultiAct *act = PlaceAct(500, 300);
  TTestRect *other = Place(10, 400);
  act->GetLink()->AddLink(other);
  act->GetLink()->AddLink(gone);
  act->GetLink()->AddLink(target);
  linker->GetLink()->DoLink(gone);
  gone->GetLink()->DoLink(target);
  const std::vector<int64_t> targets = PartnerIds(act);
  const int64_t id = gone->Id();
  const int index = page_->Pool()->IndexOf(gone);

  undo_->Add(kUndoDelete, gone);
  Remove(gone);
  ASSERT_EQ(page_->GetObjs(id), nullptr);
  ASSERT_EQ(linker->GetLinkedObj(), nullptr);

  undo_->ExecuteUndo();
  TCommonObj *back = page_->GetObjs(id);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(page_->Pool()->IndexOf(back), index);
  EXPECT_EQ(linker->GetLinkedObj(), back);
  EXPECT_EQ(back->GetLinkedObj(), target);
  EXPECT_EQ(PartnerIds(act), targets);
  EXPECT_FALSE(undo_->CanUndo());

  // The action object itself: its targets come back in their order.
  const int64_t actId = act->Id();
  undo_->Add(kUndoDelete, act);
  Remove(act);
  undo_->ExecuteUndo();
  TCommonObj *actBack = page_->GetObjs(actId);
  ASSERT_NE(actBack, nullptr);
  EXPECT_EQ(PartnerIds(actBack), targets);
}

TEST_F(AbUndoTest, LinkRecordsRunLastAndOncePerPair) {
  // Deleting both ends of a link records the link twice (as the owner's
  // own link and as a link to the partner); undone, it must stand once.
  TTestRect *owner = Place(10, 10);
  TTestRect *partner = Place(200, 10);
  owner->GetLink()->DoLink(partner);
  const int64_t ownerId = owner->Id(), partnerId = partner->Id();
  undo_->AddMulti(kUndoDelete, TListTrac({owner, partner}), false);
  EXPECT_EQ(undo_->Count(), 4);
  Remove(owner);
  Remove(partner);

  undo_->ExecuteUndo();
  TCommonObj *ownerBack = page_->GetObjs(ownerId);
  TCommonObj *partnerBack = page_->GetObjs(partnerId);
  ASSERT_NE(ownerBack, nullptr);
  ASSERT_NE(partnerBack, nullptr);
  EXPECT_EQ(ownerBack->GetLinkedObj(), partnerBack);
  EXPECT_EQ(undo_->Count(), 0);
}

TEST_F(AbUndoTest, AMultiSelectionMoveUndoesInOneStep) {
  TTestRect *a = Place(10, 10);
  TTestRect *b = Place(200, 100);
  TListTrac selection({a, b});
  undo_->AddMulti(kUndoDrag, selection, false);
  a->Move(TRealPoint{50, 50});
  b->Move(TRealPoint{50, 50});
  EXPECT_EQ(undo_->UndoNo(), 1);
  undo_->ExecuteUndo();
  EXPECT_EQ(First(a), (TRealPoint{10, 10}));
  EXPECT_EQ(First(b), (TRealPoint{200, 100}));
  EXPECT_FALSE(undo_->CanUndo());
  // An empty selection records nothing.
  undo_->AddMulti(kUndoDrag, TListTrac({}), false);
  EXPECT_EQ(undo_->UndoNo(), 1);
}

TEST_F(AbUndoTest, PastedCopiesAndThePaintOrderAreUndone) {
  auto pasted = NewObject<TAuthorPage>();
  TTestRect *p1 = Place(10, 10, pasted.get());
  TTestRect *p2 = Place(20, 20, pasted.get());
  TTestRect *keep = Place(300, 300);
  undo_->AddMultiCreate(*pasted);
  const int64_t id1 = p1->Id(), id2 = p2->Id();
  page_->AddObj(pasted->Extract(p1));
  page_->AddObj(pasted->Extract(p2));
  EXPECT_EQ(undo_->ExecuteUndo(), nullptr);
  EXPECT_EQ(page_->GetObjs(id1), nullptr);
  EXPECT_EQ(page_->GetObjs(id2), nullptr);

  TTestRect *back = Place(400, 400);
  const int index = page_->Pool()->IndexOf(keep);
  undo_->Add(kUndoEdit, keep, true);
  EXPECT_EQ(undo_->Count(), 2);
  page_->Pool()->Move(index, page_->Pool()->IndexOf(back));
  undo_->ExecuteUndo();
  EXPECT_EQ(page_->Pool()->IndexOf(keep), index);
}

TEST_F(AbUndoTest, RecordsBelongToThePageWithTheirId) {
  TTestRect *rect = Place(10, 10);
  undo_->Add(kUndoEdit, rect);
  undo_->SetWorkPage(page_); // opened again
  EXPECT_EQ(undo_->Count(), 1);

  // The same page read back from a stream (after presenting) keeps them.
  TMetaStream stream;
  page_->SaveToStream(stream);
  stream.SetPosition(0);
  std::unique_ptr<TCommonObj> reread = TMakeInfo2::Get().LoadFromStream(stream);
  ASSERT_NE(reread, nullptr);
  stream.SetPosition(0);
  reread->LoadFromStream(stream);
  auto *rereadPage = dynamic_cast<TCustomCompo *>(reread.get());
  ASSERT_NE(rereadPage, nullptr);
  undo_->SetWorkPage(rereadPage);
  EXPECT_EQ(undo_->Count(), 1);
  auto *copy = dynamic_cast<TTestRect *>(rereadPage->GetObjs(rect->Id()));
  ASSERT_NE(copy, nullptr);
  copy->Move(TRealPoint{70, 0});
  EXPECT_EQ(undo_->ExecuteUndo(), copy);
  EXPECT_EQ(First(copy), (TRealPoint{10, 10}));

  // Another page with the same number does not receive them.
  undo_->Add(kUndoEdit, copy);
  std::unique_ptr<TAuthorPage> replacement = NewObject<TAuthorPage>();
  replacement->Name = replacement->CreateName(true);
  replacement->Param.SetObjValue(page_->Param.ObjValue());
  undo_->SetWorkPage(replacement.get());
  EXPECT_EQ(undo_->Count(), 0);
  EXPECT_EQ(undo_->UndoNo(), 0);
  EXPECT_TRUE(undo_->Enabled());
  undo_->SetWorkPage(book_->Pages(0));
  EXPECT_EQ(undo_->Count(), 0);
}

TEST_F(AbUndoTest, PresentationModeRecordsNothing) {
  SysInfo().SetSysMode(smExec);
  undo_->SetWorkPage(page_);
  undo_->Add(kUndoEdit, Place(10, 10));
  EXPECT_FALSE(undo_->Enabled());
  EXPECT_EQ(undo_->Count(), 0);
}

TEST_F(AbUndoTest, RemoveTopWithdrawsOnlyAMatchingTop) {
  TTestRect *rect = Place(10, 10);
  TTestRect *other = Place(200, 10);
  undo_->RemoveTop(kUndoEdit, rect); // empty: nothing
  undo_->Add(kUndoEdit, rect);
  undo_->RemoveTop(kUndoEdit, other);
  undo_->RemoveTop(kUndoDrag, rect);
  EXPECT_EQ(undo_->Count(), 1);
  // The entry asked again was a repeat: there is nothing to withdraw.
  undo_->Add(kUndoEdit, rect);
  undo_->RemoveTop(kUndoEdit, rect);
  EXPECT_EQ(undo_->Count(), 1);
  undo_->RemoveTop(kUndoEdit, rect);
  EXPECT_EQ(undo_->Count(), 0);
}

TEST_F(AbUndoTest, AnAuthorPageShownBecomesTheWorkPage) {
  // A second page: showing it clears the first page's records, and
  // showing it again keeps its own.
  std::unique_ptr<TAuthorPage> made = NewObject<TAuthorPage>();
  made->Name = made->CreateName(true);
  made->Param.SetObjValue(2);
  auto *second = static_cast<TAuthorPage *>(book_->AddObj(std::move(made)));
  book_->SetPage(1);
  EXPECT_EQ(undo_->WorkPage(), book_->Pages(1));
  undo_->Add(kUndoEdit, Place(10, 10));
  ASSERT_EQ(undo_->Count(), 1);
  book_->SetPage(2);
  EXPECT_EQ(undo_->WorkPage(), second);
  EXPECT_EQ(undo_->Count(), 0);
  EXPECT_TRUE(undo_->Enabled());
  undo_->Add(kUndoEdit, Place(10, 10, second));
  book_->SetPage(2);
  EXPECT_EQ(undo_->Count(), 1);
}

TEST_F(AbUndoTest, TheProgramStackIsTheHookUntilReset) {
  EXPECT_EQ(AuthorUndo(), undo_);
  EXPECT_EQ(undo_->Max(), 99);
  book_.reset();
  SetCurrentBook(nullptr);
  TCoreContext::Reset();
  EXPECT_EQ(AuthorUndo(), nullptr);
}

} // namespace
} // namespace lumora::test

// The action-block registry: registration, lookups and re-linking.
#include "core/book/ActBlockList.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

// A program object of a chosen class.
class TTestBlock : public TTestRect, public IFActProg {
  LUMORA_OBJECT(TTestBlock, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.Name = QStringLiteral("テストブロック");
    return info;
  }
  TActClass GetActClass() override { return actClass; }
  TCommonObj *GetActBlock() override { return nullptr; }
  TCommonObj *GetActWork() override { return work; }
  TCommonObj *GetActSprite() override { return nullptr; }
  void SetActSprite(TCommonObj *) override {}

  TActClass actClass = acStatement;
  TCommonObj *work = nullptr;

protected:
  TTestBlock() : TTestRect(DefaultParam(QStringLiteral("テストブロック"))) {}
};

class ActBlockListTest : public DrawTest {
protected:
  template <class T = TTestBlock> T *Add(const QString &aName, bool aWithId = true) {
    std::unique_ptr<T> obj = NewObject<T>();
    if (aWithId) obj->ReName(0);
    obj->Name = aName;
    obj->Place(Square(0, 0, 5));
    return static_cast<T *>(page_->AddObj(std::move(obj)));
  }

  TActBlockList list_;
};

TEST_F(ActBlockListTest, RegistersEachProgramObjectOnceAndFindsTheFirstOfAName) {
  TTestBlock *first = Add("block");
  TTestBlock *second = Add("block");
  TTestRect *work = Add<TTestRect>("work");
  second->work = work;
  EXPECT_EQ(list_.AddAct(first), 0);
  EXPECT_EQ(list_.AddAct(first), -1);
  EXPECT_EQ(list_.AddAct(second), 1);
  EXPECT_EQ(list_.AddAct(work), -1);               // no program object
  EXPECT_EQ(list_.AddAct(Add("noId", false)), -1); // id 0 is never registered

  EXPECT_EQ(list_.ActObj("block"), first);
  second->Name = "renamed";
  EXPECT_EQ(list_.ActObj("renamed"), second);
  EXPECT_EQ(list_.ActClass("nobody"), acInvalid);
  EXPECT_EQ(list_.ActObj("nobody"), nullptr);
  ASSERT_NE(list_.GetActBlock(work), nullptr);
  EXPECT_EQ(list_.GetActBlock(work)->ActObj(), second);

  list_.RemoveInfo(first);
  EXPECT_EQ(list_.Count(), 1);
  list_.Clear();
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(ActBlockListTest, PageUpdateRegistersThePageAndLinksLaunchersByName) {
  TTestBlock *target = Add("start");
  TTestBlock *launcher = Add("launcher");
  launcher->actClass = acLauncher;
  launcher->Param.Text = "start";
  TTestBlock *stray = Add("stray");
  stray->actClass = acBooter;
  stray->Param.Text = "nobody";
  TTestRect *kept = Add<TTestRect>("kept");
  stray->SetLinkedObj(kept);

  list_.PageUpdate(page_.get());
  EXPECT_EQ(list_.Count(), 3);
  EXPECT_EQ(launcher->GetLinkedObj(), target);
  EXPECT_EQ(stray->GetLinkedObj(), kept); // the name is not registered
  list_.PageUpdate(page_.get());
  EXPECT_EQ(list_.Count(), 3);

  list_.PageClose(page_.get());
  EXPECT_EQ(list_.Count(), 0);
}

} // namespace
} // namespace lumora::test

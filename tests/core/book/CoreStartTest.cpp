// The start of the program's context: after a reset and a new start no
// state of the previous one is left, and the stores go in the reverse order
// of the start-up sequence.
#include "core/book/CoreStart.h"
#include "core/fonts/MetaFont.h"
#include "core/geometry/Geometry.h"
#include "core/system/Utilities.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "core/book/ActBlockList.h"
#include "core/book/BookClasses.h"
#include "core/book/LmCompo.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/drawable/ExecServices.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/TempFiles.h"

namespace lumora::test {
namespace {

// A stamp entry with a name and no picture.
class TNamedStamp : public TStampImage {
public:
  explicit TNamedStamp(const QString &aName) { fFileName = aName; }
};

class TUndo : public IExecUndo {
public:
  void Edit(int, TCommonObj *, int) override {}
};

// Put in the context at one step of the start: notes, when it is freed,
// which of the stores of the other steps are still there.
struct TStepProbe {
  explicit TStepProbe(std::string *aLog) : log(aLog) {}
  ~TStepProbe() {
    *log += TCoreContext::Started() ? "context " : "";
    *log += TSysContext::Started() ? "system " : "";
    *log += TTempFileList::Constructed() ? "temp " : "";
    *log += TCoreContext::Optional<TStampMaker>() ? "stamps " : "";
    *log += TCoreContext::Optional<TStillStores>() ? "stills " : "";
    *log += TCoreContext::Optional<TExecServices>() ? "exec " : "";
    *log += TCoreContext::Optional<TStyleLine>() ? "style " : "";
    *log += TCoreContext::Optional<TActBlockList>() ? "blocks " : "";
    *log += TCoreContext::Optional<TCurrentBook>() ? "book" : "";
  }
  std::string *log;
};

class CoreStartTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    startup_.RegisterClasses = [](TObjClassList &aList) {
      RegisterCoreClasses(aList);
      RegisterBookClasses(aList);
    };
    startup_.StartSystem = [this] {
      TProgramPaths paths;
      paths.ProgramFolder = dir_.path() + u'/';
      TSysContext::Start(paths);
    };
    StartCore(startup_);
    classes_ = ObjClassList().Count();
  }
  void TearDown() override { TCoreContext::Reset(); }

  QTemporaryDir dir_;
  TCoreStartup startup_;
  int classes_ = 0;
};

TEST_F(CoreStartTest, AResetAndANewStartLeaveNothingOfThePreviousState) {
  std::unique_ptr<TMetaBook> book = NewObject<TMetaBook>();
  TUndo undo;
  StampMaker().AddStamp(std::make_unique<TNamedStamp>(QStringLiteral("a.png")));
  auto still = std::make_unique<TStill_Dummy>();
  still->fFilePath = QStringLiteral("b.png");
  StillMaker().AddStill(std::move(still));
  PutBoardStillMaker();
  ClipboardInfo().FileName = QStringLiteral("ClipBoard_1.bmp");
  SetCurrentBook(book.get());
  SetActBlockList(nullptr);
  StyleLine().Width = 7;
  SetPixelsPerInch(120);
  SetMathFontName(QStringLiteral("other"));
  SetCommonDocumentsWarned(true);
  ExecServices().Undo = &undo;
  SetVersionQuestion([](const QString &) { return true; });
  TTempFileList::Construct(dir_.path() + QStringLiteral("/data"), QStringLiteral("Temp"),
                           dir_.path() + u'/');
  ASSERT_TRUE(TTempFileList::Constructed());

  TCoreContext::Reset();
  EXPECT_EQ(CurrentBook(), nullptr); // freed with the context
  StartCore(startup_);

  EXPECT_EQ(StampMaker().Count(), 0);
  EXPECT_EQ(StillMaker().Count(), 0);
  EXPECT_EQ(StillMaker().Parent(), nullptr);
  EXPECT_TRUE(ClipboardInfo().FileName.isEmpty());
  EXPECT_EQ(CurrentBook(), nullptr);
  EXPECT_EQ(ActBlockList(), &ActBlockRegistry());
  EXPECT_EQ(StyleLine().Width, 1);
  EXPECT_DOUBLE_EQ(GetPixelsPerMM(), kDefaultPixelsPerInch / 25.4);
  EXPECT_EQ(MathFontName(), kDefaultMathFontName);
  EXPECT_FALSE(CommonDocumentsWarned());
  EXPECT_EQ(ExecServices().Undo, nullptr);
  EXPECT_FALSE(TTempFileList::Constructed());
  EXPECT_TRUE(TSysContext::Started());
  // The registry is made anew, each class registered once.
  EXPECT_EQ(ObjClassList().Count(), classes_);
}

TEST_F(CoreStartTest, StoresGoInTheReverseOrderOfTheStartUpSequence) {
  std::string afterClasses, atSystem, last;
  TCoreStartup startup;
  startup.RegisterClasses = [&](TObjClassList &aList) {
    startup_.RegisterClasses(aList);
    TCoreContext::Get().Put(std::make_unique<TStepProbe>(&afterClasses));
  };
  struct TSystemProbe : TStepProbe {
    using TStepProbe::TStepProbe;
  };
  startup.StartSystem = [&] { TCoreContext::Get().Put(std::make_unique<TSystemProbe>(&atSystem)); };
  StartCore(startup);
  struct TLastProbe : TStepProbe {
    using TStepProbe::TStepProbe;
  };
  TCoreContext::Get().Put(std::make_unique<TLastProbe>(&last));
  // Made after every other store, as tests do: the system state and the
  // media folder still take their places in the sequence.
  startup_.StartSystem();
  TTempFileList::Construct(dir_.path() + QStringLiteral("/data"), QStringLiteral("Temp"),
                           dir_.path() + u'/');

  TCoreContext::Reset();
  EXPECT_EQ(last, "context system temp stamps stills exec style blocks book");
  EXPECT_EQ(atSystem, "context system ");
  EXPECT_EQ(afterClasses, "context ");
}

} // namespace
} // namespace lumora::test

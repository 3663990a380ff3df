// Pictures used only inside a user part survive saving: the book walk
// counts them, so the writer keeps them in the book.
#include <QFile>
#include <cstdlib>

#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "tests/core/book/BookTestClasses.h"
#include "tests/kinds/PartKinds.h"

namespace lumora::test {
namespace {

class PartPicturesTest : public BookTest {
protected:
  void SetUp() override {
    BookTest::SetUp();
    ObjClassList().Add<TIterPart>();
  }
  TTestPictureStamp *AddStampTo(TCustomCompo *aCompo, const QString &aFile) {
    std::unique_ptr<TTestPictureStamp> stamp = NewObject<TTestPictureStamp>();
    stamp->Param.Text = aFile;
    CreatingStampSize() = 40;
    stamp->CreateImage();
    stamp->InitGrabInfo();
    stamp->ReMake();
    stamp->ReName(0);
    return static_cast<TTestPictureStamp *>(aCompo->AddObj(std::move(stamp)));
  }
  // Books the fuzz target starts from: copied into the folder named by
  // LUMORA_SAVE_FUZZ_SEEDS when it is set.
  static void OfferSeed(const QString &aPath, const QString &aName) {
    const char *folder = std::getenv("LUMORA_SAVE_FUZZ_SEEDS");
    if (!folder) return;
    const QString seed = QString::fromLocal8Bit(folder) + u'/' + aName;
    QFile::remove(seed);
    QFile::copy(aPath, seed);
  }
};

TEST_F(PartPicturesTest, PicturesUsedOnlyInsideAPartAreKeptBySaving) {
  WriteProgramFile(QStringLiteral("quad.png"), QuadrantPng(8, 4));
  WriteProgramFile(QStringLiteral("blue.png"), PlainPng(6, 3, kBlue));
  WriteProgramFile(QStringLiteral("still.png"), PlainPng(5, 2, kRed));
  WriteProgramFile(QStringLiteral("unused.png"), PlainPng(3, 3, kRed));
  TBookTestBook *book = NewBook(2);
  TIterPart *part = static_cast<TIterPart *>(book->Pages(1)->AddObj(NewObject<TIterPart>()));
  part->ReName(0);
  AddStampTo(part, QStringLiteral("quad.png"));
  TStill_ *still = StillMaker()._Create(ProgramPath(QStringLiteral("still.png")));
  ASSERT_NE(still, nullptr);
  AddTo<TBookTestStill>(part, QStringLiteral("写真"), RectPoints(0, 0, 5, 2))->Param.Text =
      still->fFilePath;
  AddTo(book->Pages(1), QStringLiteral("枠"), RectPoints(0, 0, 9, 9))->SetLinkedObj(part);
  // Stored, but used by no object.
  ASSERT_NE(StampMaker()._Create(QStringLiteral("blue.png")), nullptr);
  ASSERT_NE(StillMaker()._Create(ProgramPath(QStringLiteral("unused.png"))), nullptr);

  const QString path = BookPath(QStringLiteral("part.lmm"));
  // Without a work page the book's thumbnail is empty, which keeps the
  // file small.
  book->WorkPage = nullptr;
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  OfferSeed(path, QStringLiteral("part_pictures.lmm"));
  const QString stillPath = still->fFilePath;
  ResetStampMaker();
  ResetStillMaker();

  std::unique_ptr<TBookTestBook> back = Load(path);
  ASSERT_TRUE(back);
  ASSERT_EQ(StampMaker().Count(), 1);
  EXPECT_EQ(StampMaker().Items(0)->FileName(), QStringLiteral("quad.png"));
  ASSERT_EQ(StillMaker().Count(), 1);
  EXPECT_EQ(StillMaker().Items(0)->fFilePath, stillPath);
  auto *partBack = dynamic_cast<TIterPart *>(back->Pages(1)->Items(0));
  ASSERT_NE(partBack, nullptr);
  EXPECT_EQ(partBack->Count(), 2);
  EXPECT_EQ(back->Pages(1)->Items(1)->GetLinkedObj(), partBack);
}

} // namespace
} // namespace lumora::test

// The thumbnail object: a picture of the linked page fitted into its
// picture area.
#include "core/book/ThumbnailObj.h"
#include "core/book/BookClasses.h"
#include "core/model/ClassRegistry.h"
#include "platform/graphics/Bitmap.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

class ThumbnailObjTest : public DrawTest {
protected:
  void SetUp() override {
    DrawTest::SetUp();
    RegisterBookClasses(ObjClassList());
    page_->SetBoundsRect({0, 0, 800, 600});
    // The left half of the page is a red rectangle.
    std::unique_ptr<TTestRect> rect = NewObject<TTestRect>();
    rect->Place(RectPoints(0, 0, 400, 600));
    page_->AddObj(std::move(rect));
  }
  std::unique_ptr<TThumbnail> Thumb() {
    std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("サムネール"));
    auto *thumb = dynamic_cast<TThumbnail *>(obj.get());
    EXPECT_NE(thumb, nullptr);
    obj.release();
    thumb->SetLinkedObj(page_.get());
    return std::unique_ptr<TThumbnail>(thumb);
  }
};

TEST_F(ThumbnailObjTest, DrawsTheLinkedPageFittedIntoThePictureArea) {
  struct Case {
    const char *what;
    bool bookCell; // re-made by its maker with the book thumbnail's grab points
    int width, height;
    TPoint red, face; // a pixel of the left half, one of the right half
    TPoint above;     // above the page in a taller picture area (x < 0: none)
  } cases[] = {
      // 41 x 41: the page (4:3) takes 41 x 31 and is centred, 5 rows above.
      {"small cell", false, 41, 41, {10, 20}, {30, 20}, {20, 2}},
      // 160 x 120: the page takes the whole area, unscaled after rendering.
      {"book cell", true, 161, 121, {40, 60}, {120, 60}, {-1, -1}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<TThumbnail> thumb = Thumb();
    if (c.bookCell)
      thumb->Maker()->ReMake({{0, 0}, {178, 148}, {9, 7}, {169, 127}});
    else
      thumb->ReMake();
    const auto *picture = dynamic_cast<const TBitmap *>(thumb->GetGraphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), c.width);
    EXPECT_EQ(picture->Height(), c.height);
    EXPECT_EQ(picture->Pixel(c.red.X, c.red.Y), kFace);
    EXPECT_EQ(picture->Pixel(c.face.X, c.face.Y), TColor(0xC0C0C0));
    if (c.above.X >= 0) EXPECT_EQ(picture->Pixel(c.above.X, c.above.Y), TColor(0xC0C0C0));
  }
}

TEST_F(ThumbnailObjTest, BookCellTakesTheGrabPointsAndWithoutALinkNothingIsDrawn) {
  std::unique_ptr<TThumbnail> thumb = Thumb();
  thumb->Maker()->ReMake({{0, 0}, {178, 148}, {9, 7}, {169, 127}});
  EXPECT_EQ(thumb->BoundsRect(), TRect({0, 0, 178, 148}));
  EXPECT_EQ(thumb->PictureRect(), TRect({9, 7, 169, 127}));
  EXPECT_EQ(thumb->BCenter().rx, 89);
  EXPECT_EQ(thumb->Search({100, 100}, k_allObj), thumb.get());
  EXPECT_EQ(thumb->Search({5, 100}, k_allObj), nullptr);

  std::unique_ptr<TCommonObj> lone = ObjClassList().CreateObject(QStringLiteral("サムネール"));
  lone->ReMake();
  EXPECT_TRUE(lone->GetGraphic()->Empty());
}

} // namespace
} // namespace lumora::test

// The placeholder "仮オブジェクト": its framed note in author mode, nothing in
// presentation mode, and the record of the object it stands for written
// back unchanged.
#include <cstdlib>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

class DummyDrawObjTest : public DrawTest {
protected:
  // The record of an author-only figure "テスト基準線", which presentation
  // mode cannot make.
  QByteArray GuideRecord(const QString &aName) {
    std::unique_ptr<TTestFigure> guide = Figure(aName, Square(3, 4, 30));
    guide->Param.ObjName = QStringLiteral("テスト基準線");
    guide->Param.Text = QStringLiteral("stored text");
    guide->SetId(4242);
    TMetaStream stream;
    guide->SaveToStream(stream);
    return stream.Bytes();
  }

  // The record read in presentation mode through a page.
  std::unique_ptr<TTestPage> LoadInExec(const QByteArray &aRecord) {
    TMetaStream stream;
    stream.WriteBuffer(int32_t(1));
    stream.TStream::WriteBuffer(aRecord.constData(), aRecord.size());
    stream.SetPosition(0);
    Info().SysMode = smExec;
    std::unique_ptr<TTestPage> page = Page();
    page->LoadChildren(stream);
    Info().SysMode = smAuthor;
    return page;
  }

  static QByteArray RecordOf(TCommonObj &aObj) {
    TMetaStream stream;
    aObj.SaveToStream(stream);
    return stream.Bytes();
  }
};

TEST_F(DummyDrawObjTest, UnknownRecordIsWrittenBackUnchanged) {
  const QByteArray record = GuideRecord(QStringLiteral("g"));
  std::unique_ptr<TTestPage> page = LoadInExec(record);
  ASSERT_EQ(page->Count(), 1);
  TCommonObj *placeholder = page->Pool()->Items(0);
  ASSERT_EQ(&placeholder->ClassType(), &ObjClassOf<TDummyDrawObj>());
  EXPECT_EQ(placeholder->Param.ObjName, QStringLiteral("テスト基準線"));
  EXPECT_EQ(placeholder->Id(), 4242);
  EXPECT_EQ(placeholder->Polygon(), TDummyDrawObj::FixedPolygon());
  placeholder->UpdateLinkId(); // as before every save
  EXPECT_EQ(RecordOf(*placeholder), record);

  // Renamed, it writes its new common part and keeps the payload: read
  // where the class exists, the figure has its points again.
  placeholder->Name = QStringLiteral("renamed");
  TMetaStream again;
  placeholder->SaveToStream(again);
  again.SetPosition(0);
  std::unique_ptr<TCommonObj> back = Info().LoadFromStream(again);
  ASSERT_EQ(&back->ClassType(), &ObjClassOf<TTestGuide>());
  again.SetPosition(0);
  back->LoadFromStream(again);
  EXPECT_EQ(back->Name, QStringLiteral("renamed"));
  EXPECT_EQ(back->Id(), 4242);
  EXPECT_EQ(back->Param.Text, QStringLiteral("stored text"));
  EXPECT_EQ(back->Polygon(), Square(3, 4, 30));

  // One made by code has no record to keep: it writes its own form.
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QStringLiteral("仮オブジェクト"));
  ASSERT_TRUE(made);
  EXPECT_TRUE(static_cast<TDummyDrawObj *>(made.get())->StoredRecord().isEmpty());
  EXPECT_GT(RecordOf(*made).size(), 0);
}

TEST_F(DummyDrawObjTest, NoteNamesTheKindInAuthorModeOnly) {
  std::unique_ptr<TTestPage> page = LoadInExec(GuideRecord(QStringLiteral("g")));
  TCommonObj *placeholder = page->Pool()->Items(0);
  placeholder->Move({100, 80});
  const TRect bounds = placeholder->BoundsRect();
  const TRect box{bounds.Left - 56, bounds.Top - 25, bounds.Left + 57, bounds.Top + 25};

  auto blank = [] {
    TBitmap bitmap(300, 200);
    bitmap.Canvas().Brush().SetColor(0x00FF00);
    bitmap.Canvas().FillRect(Rect(0, 0, 300, 200));
    return bitmap;
  };
  // The note as it must look: a framed white box with three centred lines.
  TBitmap expected = blank();
  TCanvas &e = expected.Canvas();
  e.Pen().SetColor(clBlack);
  e.Brush().SetColor(clWhite);
  e.Rectangle(box);
  const int h = std::abs(e.Font().Height()) + 2;
  const int cx = (box.Left + box.Right) / 2;
  const int cy = (box.Top + box.Bottom) / 2;
  const QString lines[] = {QStringLiteral("「テスト基準線」　は"), QStringLiteral("サポートされて"),
                           QStringLiteral("いません")};
  for (int i = 0; i < 3; ++i)
    e.TextOut(cx - e.TextWidth(lines[i]) / 2, cy + (i - 1) * h - h / 2 + 1, lines[i]);

  for (const TSysMode mode : {smAuthor, smExec}) {
    SCOPED_TRACE(int(mode));
    Info().SysMode = mode;
    TBitmap drawn = blank();
    placeholder->DrawObj(drawn.Canvas());
    const TBitmap &want = mode == smAuthor ? expected : blank();
    int differing = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x)
        if (drawn.Pixel(x, y) != want.Pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
  }
  Info().SysMode = smAuthor;
  // The frame shows where the text leaves it free (a long kind name runs
  // over it).
  int frame = 0;
  for (int x = box.Left; x < box.Right; ++x)
    for (const int y : {box.Top, box.Bottom - 1})
      if ((expected.Pixel(x, y) & 0xFFFFFF) == clBlack) ++frame;
  EXPECT_GT(frame, 20);
  int ink = 0; // the text drew something
  for (int y = box.Top + 2; y < box.Bottom - 2; ++y)
    for (int x = box.Left + 2; x < box.Right - 2; ++x)
      if ((expected.Pixel(x, y) & 0xFFFFFF) != clWhite) ++ink;
  EXPECT_GT(ink, 30);
}

} // namespace
} // namespace lumora::test

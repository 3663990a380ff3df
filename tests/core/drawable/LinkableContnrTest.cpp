// Linkable containers: the action container's frame, its link, its stored
// partner, and who frees the children it reads.
#include <gtest/gtest.h>

#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Canvas.h"
#include "tests/core/drawable/ActionTestClasses.h"
#include "tests/core/stream/StreamFixture.h"

namespace lumora::test::act {
namespace {

class LinkableContnrTest : public ActTest {
protected:
  std::unique_ptr<TTestTray> Tray() { return NewObject<TTestTray>(); }
};

const char *const kEmptyRecord = "38000000"
                                 "0000 000000000000"
                                 "0000000000000000 0000000000000000"
                                 "0000000000000000 0000000000000000"
                                 "00000000 00000000 0000000000000000";

// The frame is 37 x 23 around the anchor, rounded half away from zero, and
// follows the anchor on every move; the maker records it and the frame
// helper puts the connector circles on its top and bottom edges.
TEST_F(LinkableContnrTest, FrameFollowsTheAnchor) {
  std::unique_ptr<TTestTray> tray = Tray();
  EXPECT_EQ(tray->GetFrameRect({100, 50}), (TRect{82, 39, 119, 62}));
  EXPECT_EQ(tray->GetFrameRect({-100, -50}), (TRect{-119, -62, -82, -39}));

  tray->Move({100, 50}, nullptr, false);
  EXPECT_EQ(tray->BoundsRect(), (TRect{82, 39, 119, 62}));
  tray->Move({10, -5}, nullptr, true);
  EXPECT_EQ(tray->BCenter(), (TRealPoint{110, 45}));
  EXPECT_EQ(tray->BoundsRect(), (TRect{92, 34, 129, 57}));

  auto picture = WhiteBitmap(200, 120);
  tray->Paint(picture->Canvas());
  picture->Canvas().End();
  EXPECT_EQ(picture->Pixel(92, 45), clBlack);
  EXPECT_EQ(picture->Pixel(91, 45), kWhite);

  auto framed = WhiteBitmap(200, 120);
  tray->DrawFrame(framed->Canvas(), true, true);
  framed->Canvas().End();
  // The circles are the box (0, -4, 9, 5) at x = 92 + 13 on the edges.
  EXPECT_EQ(framed->Pixel(109, 32), kYellow); // top circle above the frame
  EXPECT_EQ(framed->Pixel(109, 58), kYellow); // bottom circle below it
  EXPECT_EQ(framed->Pixel(109, 34), clBlack); // the frame drawn over them
  EXPECT_EQ(framed->Pixel(109, 29), kWhite);
}

// A free link takes any object; a linked container keeps its partner when
// offered another; offering the partner again unlinks it. The partner
// becomes the container's first child and is never freed by it.
TEST_F(LinkableContnrTest, ContainerLinkRules) {
  std::unique_ptr<TTestTray> tray = Tray();
  auto a = Figure(QStringLiteral("a"), Square(0, 0, 10));
  auto b = Figure(QStringLiteral("b"), Square(0, 0, 10));
  std::unique_ptr<TCommonObj> group = ObjClassList().CreateObject(QStringLiteral("テストグループ"));
  a->Param.ActType = {atShow};
  b->Param.ActType = {atShow};
  TLink &link = *tray->Link();

  EXPECT_FALSE(link.CanLink(group.get())); // a composite
  b->Param.ActType = {};
  EXPECT_FALSE(link.CanLink(b.get())); // cannot show
  b->Param.ActType = {atShow};

  EXPECT_FALSE(link.DoLink(nullptr));
  EXPECT_TRUE(link.DoLink(a.get()));
  EXPECT_EQ(tray->LinkedObj(), a.get());
  EXPECT_EQ(tray->Pool()->Items(0), a.get());
  EXPECT_FALSE(link.DoLink(b.get()));
  EXPECT_EQ(tray->LinkedObj(), a.get());
  EXPECT_TRUE(link.DoLink(a.get()));
  EXPECT_EQ(tray->LinkedObj(), nullptr);
  EXPECT_EQ(tray->Count(), 0);

  std::unique_ptr<TActContnr> plain = NewObject<TActContnr>();
  EXPECT_EQ(plain->Link(), nullptr);
  plain->SetLinkedObj(a.get());
  EXPECT_EQ(plain->LinkedObj(), nullptr);
  EXPECT_EQ(plain->Param.ObjName, QStringLiteral("Nullアクション"));
}

// A container never takes itself, or a composite that holds it, among its
// children: saving or painting such a loop would never end.
TEST_F(LinkableContnrTest, ContainerIsNeverNestedInItself) {
  std::unique_ptr<TTestPage> page = Page();
  page->SetId(500);
  std::unique_ptr<TTestTray> outer = Tray();
  std::unique_ptr<TTestTray> inner = Tray();
  ASSERT_TRUE(outer->Link()->DoLink(inner.get()));
  EXPECT_FALSE(inner->Link()->CanLink(outer.get()));
  EXPECT_FALSE(inner->Link()->DoLink(outer.get()));
  EXPECT_FALSE(inner->Link()->DoLink(inner.get()));
  EXPECT_EQ(inner->LinkedObj(), nullptr);

  // A stored id naming the page the container lies on is not linked.
  auto *onPage = static_cast<TTestTray *>(page->AddObj(Tray()));
  onPage->SetLinkedId(500);
  page->UpdateLink(nullptr);
  EXPECT_EQ(onPage->LinkedObj(), nullptr);
  TMetaStream s;
  page->SaveToStream(s);
}

// The option block: the action record, then the partner's id (0 without a
// partner) only for a container that has a link object.
TEST_F(LinkableContnrTest, OptionBlockHoldsTheRecordAndThePartner) {
  auto a = Figure(QStringLiteral("a"), Square(0, 0, 10));
  a->SetId(0x0102030405060708);
  std::unique_ptr<TTestTray> tray = Tray();
  tray->ActParam.Text = QStringLiteral("abc");
  TMetaStream unlinked;
  tray->SaveOption(unlinked);
  tray->SetLinkedObj(a.get());
  TMetaStream linked;
  tray->SaveOption(linked);
  std::unique_ptr<TActContnr> plain = NewObject<TActContnr>();
  plain->ActParam.Text = QStringLiteral("abc");
  TMetaStream noLink;
  plain->SaveOption(noLink);

  const QByteArray record = Hex(kEmptyRecord) + Hex("03000000 616263");
  EXPECT_EQ(HexOf(linked), HexOf(record + Hex("0807060504030201")));
  EXPECT_EQ(HexOf(unlinked), HexOf(record + Hex("0000000000000000")));
  EXPECT_EQ(HexOf(noLink), HexOf(record));
  EXPECT_EQ(tray->ActParam.Text, QStringLiteral("abc"));

  std::unique_ptr<TTestTray> read = Tray();
  linked.SetPosition(0);
  read->LoadOption(linked);
  EXPECT_EQ(read->TargetId(), 0x0102030405060708);
  EXPECT_EQ(read->ActParam.Text, QStringLiteral("abc"));
  // A block that ends after the record keeps the id.
  noLink.SetPosition(0);
  read->LoadOption(noLink);
  EXPECT_EQ(read->TargetId(), 0x0102030405060708);
}

// A page holding a figure and a tray linked to it is written and read: the
// tray finds its partner on the page by id. The copy of the partner stored
// among the tray's children belongs to the tray and is freed with it (the
// fixture counts every figure).
TEST_F(LinkableContnrTest, PartnerIsResolvedAndStoredChildrenAreFreed) {
  std::unique_ptr<TTestPage> page = Page();
  auto partner = Figure(QStringLiteral("partner"), Square(0, 0, 10));
  partner->SetId(7);
  TTestFigure *p = partner.get();
  page->AddObj(std::move(partner));
  std::unique_ptr<TTestTray> tray = Tray();
  tray->Move({100, 50}, nullptr, false);
  ASSERT_TRUE(tray->Link()->DoLink(p));
  page->AddObj(std::move(tray));
  page->UpdateLinkId();

  TMetaStream s;
  page->SaveToStream(s);
  s.SetPosition(0);
  std::unique_ptr<TTestPage> read = Page(QStringLiteral("read"));
  read->LoadFromStream(s);
  ASSERT_EQ(read->Count(), 2);
  auto *readTray = dynamic_cast<TTestTray *>(read->Pool()->Items(1));
  ASSERT_NE(readTray, nullptr);
  EXPECT_EQ(readTray->LoadedChildren().Count(), 1);
  read->UpdateLink(nullptr);
  EXPECT_EQ(readTray->LinkedObj(), read->Pool()->Items(0));
  EXPECT_EQ(readTray->BoundsRect(), (TRect{82, 39, 119, 62}));

  // Loading again replaces (and frees) the children read before.
  s.SetPosition(0);
  read->LoadFromStream(s);
  EXPECT_EQ(read->Count(), 2);
}

// A stored id that names nothing leaves the container unlinked; the
// container itself is hit by a search, its children are not.
TEST_F(LinkableContnrTest, UnknownTargetAndSearch) {
  std::unique_ptr<TTestPage> page = Page();
  std::unique_ptr<TTestTray> tray = Tray();
  tray->Move({100, 50}, nullptr, false);
  tray->SetLinkedId(12345);
  tray->UpdateLink(page.get());
  EXPECT_EQ(tray->LinkedObj(), nullptr);

  auto inside = Figure(QStringLiteral("in"), Square(0, 0, 10));
  inside->SetId(55);
  tray->SetLinkedObj(inside.get());
  EXPECT_EQ(tray->Search({100, 50}, k_allObj), tray.get());
  EXPECT_EQ(tray->Search({5, 5}, k_allObj), nullptr);
  TCommonObj *child = inside.get();
  EXPECT_TRUE(tray->RemoveObj(child));
  EXPECT_EQ(tray->Count(), 1);
  tray->SetLinkedId(0);
  EXPECT_EQ(tray->GetLinkedId(), 55);

  Info().SysMode = smExec;
  auto back = WhiteBitmap(10, 10);
  EXPECT_FALSE(tray->TakeBackImage({0, 0}, back->Canvas(), inside.get(), 1));
}

} // namespace
} // namespace lumora::test::act

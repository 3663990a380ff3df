// Links: single, multi and null links keep their partners, the link gesture's
// rubber line, the link-line walker and its arrows, removal of every link to
// an object, and links stored as ids and found again after loading.
#include <QImage>

#include "core/model/Link.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"
#include "platform/graphics/Canvas.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

// A single link whose gesture links a free object and unlinks the partner.
class TTestSingleLink : public TSingleLink {
public:
  using TSingleLink::TSingleLink;
  bool DoLink(TCommonObj *aObj) override {
    const bool r = CanLink(aObj);
    if (r) SetLinkedObj(IsLinked(aObj) ? nullptr : aObj);
    return r;
  }
};

// A multi link that accepts anything but its owner.
class TTestMultiLink : public TMultiLink {
public:
  using TMultiLink::TMultiLink;
  bool CanLink(TCommonObj *aObj) override { return aObj && aObj != FSelf; }
};

// A test figure with a link, a settable link centre, and the stored id of
// its partner in its option block. Kind "リンク図形".
class TLinkFigure : public TTestFigure {
  LUMORA_OBJECT(TLinkFigure, TTestFigure)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestFigure::GetObjInfo();
    info.Name = QStringLiteral("リンク図形");
    return info;
  }
  int64_t GetLinkedId() const override { return FLinkedId; }
  void SetLinkedId(int64_t aId) override { FLinkedId = aId; }
  void SaveOption(TMetaStream &aStream) override { aStream.WriteBuffer(FLinkedId); }
  void LoadOption(TMetaStream &aStream) override { aStream.ReadBuffer(FLinkedId); }

  void SetCentre(TRealPoint aCentre) { FBCenter = aCentre; }
  void UseMultiLink() { FLink = std::make_unique<TTestMultiLink>(this, nullptr); }

protected:
  explicit TLinkFigure(const QString &aKind = QStringLiteral("リンク図形"))
      : TTestFigure(DefaultParam(aKind)) {
    FLink = std::make_unique<TTestSingleLink>(this, nullptr);
  }

  int64_t FLinkedId = 0;
};

// Link figures of other catalogue kinds: the arrow colours, the numbered
// link object, a tray-class partner, a conductor.
#define LUMORA_LINK_FIGURE(Class, Kind, Form, Act)                                                 \
  class Class : public TLinkFigure {                                                               \
    LUMORA_OBJECT(Class, TLinkFigure)                                                              \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TLinkFigure::GetObjInfo();                                                   \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = TFormType{Form};                                                             \
      info.ActType = TActType{Act};                                                                \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() : TLinkFigure(QStringLiteral(Kind)) {}                                                 \
  };

LUMORA_LINK_FIGURE(TLinkAction, "リンクアクション", otAction, atShow)
LUMORA_LINK_FIGURE(TLinkLinker, "リンク線", otLink, atShow)
LUMORA_LINK_FIGURE(TLinkEvent, "リンクイベント", otEvent, atShow)
LUMORA_LINK_FIGURE(TLinkTrayPart, "リンク台部品", otSurface, awTray)
LUMORA_LINK_FIGURE(TLinkConductor, "伝送路", otConductor, atShow)

// A composite whose single link holds its first child, of the tray kind
// "OBJ台" or (as a control) of another kind.
template <bool Tray> class TTestTray : public TCustomCompo {
  LUMORA_OBJECT(TTestTray, TCustomCompo)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = Tray ? QStringLiteral("OBJ台") : QStringLiteral("テスト箱");
    return info;
  }
  TLink *GetLink() override { return FLink.get(); }
  TCommonObj *GetLinkedObj() override { return FLink->GetLinkedObj(); }
  void SetLinkedObj(TCommonObj *aObj) override { FLink->SetLinkedObj(aObj); }

protected:
  TTestTray() : FLink(std::make_unique<TTestSingleLink>(this, nullptr)) {}
  std::unique_ptr<TLink> FLink;
};

// A box whose pool owns its children: its link has no partner list.
class TTestOwningBox : public TTestTray<false> {
  LUMORA_OBJECT(TTestOwningBox, TTestTray<false>)
protected:
  TTestOwningBox() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

class LinkTest : public ModelTest {
protected:
  void SetUp() override {
    ModelTest::SetUp();
    ObjClassList().Add<TLinkFigure>();
  }

  template <class T = TLinkFigure>
  std::unique_ptr<T> Leaf(const QString &aName, TRealPoint aCentre = {0, 0},
                          int32_t aPriority = 0) {
    std::unique_ptr<T> leaf = NewObject<T>();
    leaf->ReName(0);
    leaf->Name = aName;
    leaf->Param.Layer = 0;
    leaf->Param.Priority = aPriority;
    leaf->SetCentre(aCentre);
    return leaf;
  }

  // A group that lists its children without owning them.
  std::unique_ptr<TCommonObj> Group(std::initializer_list<TCommonObj *> aChildren) {
    std::unique_ptr<TCommonObj> group = NewObject<TTestListGroup>();
    for (TCommonObj *child : aChildren)
      group->AddObj(child);
    return group;
  }

  static std::vector<TCommonObj *> Partners(TCommonObj &aOwner) {
    if (!aOwner.Pool()) return {};
    return {aOwner.Pool()->begin(), aOwner.Pool()->end()};
  }
};

TEST_F(LinkTest, SingleLinkKeepsOnePartnerAtEntryZero) {
  auto a = Leaf(QStringLiteral("a"));
  auto p = Leaf(QStringLiteral("p"));
  auto b = Leaf(QStringLiteral("b"));
  auto c = Leaf(QStringLiteral("c"));
  auto q = Leaf(QStringLiteral("q"), {}, 9);
  TLink &link = *a->Link();

  // Without a pool: nothing to remove or clear.
  link.RemoveLink(p.get());
  link.SetLinkedObj(nullptr);
  EXPECT_EQ(a->Pool(), nullptr);
  EXPECT_EQ(link.GetPartners(), nullptr);
  EXPECT_TRUE(link.CanLink(p.get()));
  EXPECT_FALSE(link.CanLink(nullptr));

  a->SetLinkedObj(p.get());
  a->AddObj(q.get()); // another entry of the pool
  EXPECT_EQ(link.GetPartners(), a->Pool());
  EXPECT_FALSE(link.CanLink(b.get()));
  EXPECT_TRUE(link.CanLink(p.get()));
  a->SetLinkedObj(b.get()); // replaces entry 0, the rest stays
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{b.get(), q.get()}));
  EXPECT_EQ(a->LinkedObj(), b.get());
  EXPECT_EQ(link.LinkCount(), 1);
  EXPECT_EQ(link.GetLink(0), b.get());
  EXPECT_EQ(link.GetLink(1), nullptr);
  EXPECT_EQ(link.GetLink(-1), nullptr);
  link.SetLink(5, c.get());
  EXPECT_EQ(link.GetLink(0), c.get());
  EXPECT_FALSE(link.IsLinked(b.get()));

  // The gesture of this link class toggles.
  EXPECT_FALSE(link.DoLink(b.get()));
  EXPECT_TRUE(link.DoLink(c.get()));
  EXPECT_EQ(link.LinkCount(), 0);
  EXPECT_TRUE(link.DoLink(b.get()));
  EXPECT_EQ(a->LinkedObj(), b.get());
}

TEST_F(LinkTest, SingleRemoveLinkThroughAComposite) {
  auto a = Leaf(QStringLiteral("a"));
  auto p = Leaf(QStringLiteral("p"));
  auto other = Leaf(QStringLiteral("other"));
  auto holder = Group({other.get(), p.get()});
  auto nested = Group({holder.get()});
  auto stranger = Group({other.get()});
  struct Case {
    const char *what;
    TCommonObj *removed;
    bool linked;
  } cases[] = {
      {"the partner", p.get(), true},
      {"a group holding it", holder.get(), true},
      {"a group nesting it", nested.get(), true},
      {"a group without it", stranger.get(), false},
      {"another object", other.get(), false},
      {"nothing", nullptr, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    a->SetLinkedObj(p.get());
    EXPECT_EQ(a->Link()->IsLinked(c.removed), c.linked);
    a->Link()->RemoveLink(c.removed);
    EXPECT_EQ(a->LinkedObj(), c.linked ? nullptr : p.get());
  }
}

TEST_F(LinkTest, PartnersAreNeverFreed) {
  // A composite owner: its partner list only lists, so replacing or
  // unlinking the partner, or freeing the owner, frees no partner.
  std::unique_ptr<TTestTray<false>> box = NewObject<TTestTray<false>>();
  auto p = Leaf(QStringLiteral("p"));
  auto b = Leaf(QStringLiteral("b"));
  const int alive = gAlive;
  box->SetLinkedObj(p.get());
  box->SetLinkedObj(b.get());
  EXPECT_EQ(box->LinkedObj(), b.get());
  box->Link()->RemoveLink(b.get());
  EXPECT_EQ(box->Count(), 0);
  EXPECT_EQ(gAlive, alive);
  box->SetLinkedObj(p.get());
  box->SetLinkedObj(nullptr);
  EXPECT_EQ(gAlive, alive);
  box->SetLinkedObj(b.get());
  box.reset();
  EXPECT_EQ(gAlive, alive);
  EXPECT_EQ(p->Name, QStringLiteral("p"));
  EXPECT_EQ(b->Name, QStringLiteral("b"));

  // An owner whose pool owns its children has no partner list: a link
  // never puts a partner among what the owner frees.
  std::unique_ptr<TTestOwningBox> owner = NewObject<TTestOwningBox>();
  EXPECT_EQ(owner->Link()->GetPartners(), nullptr);
  owner->SetLinkedObj(p.get());
  EXPECT_EQ(owner->LinkedObj(), nullptr);
  EXPECT_EQ(owner->Count(), 0);
  owner.reset();
  EXPECT_EQ(gAlive, alive);
}

TEST_F(LinkTest, MultiLinkKeepsPartnersInPoolOrder) {
  auto a = Leaf(QStringLiteral("a"));
  a->UseMultiLink();
  auto p0 = Leaf(QStringLiteral("p0"), {}, 0);
  auto p1 = Leaf(QStringLiteral("p1"), {}, 10);
  auto x = Leaf(QStringLiteral("x"), {}, 20);
  auto y = Leaf(QStringLiteral("y"), {}, 5);
  TLink &link = *a->Link();
  EXPECT_EQ(link.GetLinkedObj(), nullptr);
  link.RemoveLink(p0.get()); // no partners: nothing

  link.AddLink(p1.get());
  link.AddLink(p0.get());
  link.AddLink(p0.get()); // not twice
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{p0.get(), p1.get()}));
  link.SetLink(1, x.get()); // inserted before partner 1, outside the layer order
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{p0.get(), x.get(), p1.get()}));
  link.SetLink(-1, y.get());
  link.SetLink(1, nullptr);
  EXPECT_EQ(link.LinkCount(), 3);
  link.SetLink(7, y.get()); // added by layer and priority: in front of p0 (0), before x (20)
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{p0.get(), y.get(), x.get(), p1.get()}));
  EXPECT_EQ(link.GetLinkedObj(), p1.get());
  EXPECT_EQ(link.GetLink(3), p1.get());
  EXPECT_EQ(link.GetLink(4), nullptr);
  EXPECT_EQ(link.GetLink(-1), nullptr);

  // A group holding x and p1: one partner per call, the first in pool order.
  auto group = Group({p1.get(), x.get()});
  EXPECT_TRUE(link.IsLinked(group.get()));
  link.RemoveLink(group.get());
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{p0.get(), y.get(), p1.get()}));
  link.RemoveLink(group.get());
  EXPECT_EQ(Partners(*a), (std::vector<TCommonObj *>{p0.get(), y.get()}));
  EXPECT_FALSE(link.IsLinked(group.get()));
  link.RemoveLink(x.get()); // not linked: nothing
  EXPECT_EQ(link.LinkCount(), 2);
}

TEST_F(LinkTest, MultiLinkGestureToggles) {
  auto a = Leaf(QStringLiteral("a"));
  a->UseMultiLink();
  auto z = Leaf(QStringLiteral("z"));
  TLink &link = *a->Link();
  EXPECT_TRUE(link.DoLink(z.get()));
  EXPECT_TRUE(link.IsLinked(z.get()));
  EXPECT_TRUE(link.DoLink(z.get()));
  EXPECT_FALSE(link.IsLinked(z.get()));
  EXPECT_FALSE(link.DoLink(a.get())); // refused: nothing changes
  EXPECT_FALSE(link.DoLink(nullptr));
  EXPECT_EQ(link.LinkCount(), 0);
}

TEST_F(LinkTest, NullLinkAndLeavesWithoutALink) {
  auto p = Leaf(QStringLiteral("p"));
  TNullLink null;
  null.SetLinkedObj(p.get());
  null.AddLink(p.get());
  null.SetLink(0, p.get());
  null.DragLinkLine(5, 5);
  EXPECT_EQ(null.GetLinkedObj(), nullptr);
  EXPECT_EQ(null.GetLink(0), nullptr);
  EXPECT_EQ(null.GetPartners(), nullptr);
  EXPECT_FALSE(null.IsLinked(p.get()));
  EXPECT_FALSE(null.CanLink(p.get()));
  EXPECT_FALSE(null.DoLink(p.get()));
  EXPECT_EQ(null.LinkCount(), 0);
  TBitmap bitmap(20, 20);
  EXPECT_EQ(null.DrawLinkLine(bitmap.Canvas(), Rect(1, 2, 3, 4)), TRect());
  EXPECT_FALSE(null.LinkDrawing);

  // A plain figure makes no link: no partner, and one given is ignored.
  std::unique_ptr<TTestFigure> plain = Figure(QStringLiteral("plain"), Square(0, 0, 4));
  EXPECT_EQ(plain->Link(), nullptr);
  plain->SetLinkedObj(p.get());
  EXPECT_EQ(plain->LinkedObj(), nullptr);
  EXPECT_EQ(plain->Pool(), nullptr);
}

// ---- Link lines ----

class LinkLineTest : public LinkTest {
protected:
  TBitmap bitmap_{200, 200};
  TCanvas &Canvas() { return bitmap_.Canvas(); }
  TColor At(int x, int y) { return bitmap_.Pixel(x, y); }
  bool AllWhite() {
    for (int y = 0; y < bitmap_.Height(); ++y)
      for (int x = 0; x < bitmap_.Width(); ++x)
        if (At(x, y) != kWhite) return false;
    return true;
  }
};

TEST_F(LinkLineTest, ArrowColourFollowsTheOwnersKind) {
  auto partner = Leaf(QStringLiteral("b"), {180, 100});
  std::unique_ptr<TLinkFigure> owners[] = {Leaf(QStringLiteral("plain"), {20, 100}),
                                           Leaf<TLinkAction>(QStringLiteral("action"), {20, 100}),
                                           Leaf<TLinkLinker>(QStringLiteral("link"), {20, 100}),
                                           Leaf<TLinkEvent>(QStringLiteral("event"), {20, 100})};
  const TColor expected[] = {kRed, kBlue, kBlue, kBlack};
  for (size_t i = 0; i < std::size(owners); ++i) {
    SCOPED_TRACE(owners[i]->Name.toStdString());
    bitmap_ = TBitmap(200, 200);
    owners[i]->SetLinkedObj(partner.get());
    const TRect drawn = owners[i]->Link()->DrawLinkLine(Canvas(), TRect());
    EXPECT_EQ(At(100, 100), expected[i]); // on the line
    EXPECT_EQ(At(170, 102), expected[i]); // inside the head
    EXPECT_EQ(At(100, 103), kWhite);      // beside the line
    EXPECT_EQ(At(20, 97), kWhite);        // no head at the owner
    if (i != 2) // the line's area, barbs left out; the link object adds its label
      EXPECT_EQ(drawn, Rect(20, 100, 180, 101));
    else
      EXPECT_EQ(drawn, Rect(20, 100 - 12, 179 + 12, 101));
    EXPECT_FALSE(owners[i]->Link()->LinkDrawing);
  }
}

TEST_F(LinkLineTest, LinkObjectNumbersItsArrows) {
  auto owner = Leaf<TLinkLinker>(QStringLiteral("link"), {100, 100});
  owner->UseMultiLink();
  // Right, below, left: no arrow crosses another's label.
  auto p1 = Leaf(QStringLiteral("p1"), {180, 100}, 1);
  auto p2 = Leaf(QStringLiteral("p2"), {100, 160}, 2);
  auto p3 = Leaf(QStringLiteral("p3"), {20, 100}, 3);
  for (TCommonObj *p : {p1.get(), p2.get(), p3.get()})
    owner->Link()->AddLink(p);
  Canvas().Font().SetHeight(-16);
  const int h = 16;
  const TRect drawn = owner->Link()->DrawLinkLine(Canvas(), TRect());
  const QImage image = bitmap_.Image();

  // Where each label is written, by the side the arrow comes from.
  const TPoint labels[] = {{179, 100 - h}, {100 - h / 2, 159}, {20 - h / 2, 100 - h}};
  auto reference = [&](int n, TPoint at) {
    TBitmap ref(200, 200);
    ref.Canvas().Font().SetHeight(-16);
    ref.Canvas().Brush().SetColor(kWhite);
    ref.Canvas().TextOut(at.X, at.Y, QString::number(n));
    const QSize cell = ref.Canvas().TextExtent(QString::number(n));
    ref.Canvas().End();
    return ref.Image().copy(at.X, at.Y, cell.width(), cell.height());
  };
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    const TPoint at = labels[n - 1];
    const QImage expected = reference(n, at);
    EXPECT_EQ(image.copy(at.X, at.Y, expected.width(), expected.height()), expected);
    EXPECT_NE(reference(n % 3 + 1, at), expected); // the digits do differ
    EXPECT_EQ(UnionRect(drawn, Rect(at.X, at.Y, at.X + h, at.Y + h)), drawn);
  }
}

TEST_F(LinkLineTest, ChainsStopWhereTheWalkReturns) {
  // A links to B; B links to A (or elsewhere), with or without awTrace, or
  // of a tray class.
  struct Case {
    const char *what;
    bool bTrace;
    bool bTrayClass;
    bool bLinksBack;
    bool arrowAB;
    bool arrowBA;
  } cases[] = {
      {"mutual", false, false, true, true, true},
      {"B traces back", true, false, true, false, false},
      {"B of a tray class links back", false, true, true, false, false},
      {"B traces elsewhere", true, false, false, true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    bitmap_ = TBitmap(200, 200);
    auto a = Leaf(QStringLiteral("a"), {20, 100});
    std::unique_ptr<TLinkFigure> b =
        c.bTrayClass
            ? std::unique_ptr<TLinkFigure>(Leaf<TLinkTrayPart>(QStringLiteral("b"), {180, 100}))
            : Leaf(QStringLiteral("b"), {180, 100});
    auto elsewhere = Leaf(QStringLiteral("c"), {180, 180});
    if (c.bTrace) b->Param.ActType.Include(awTrace);
    a->SetLinkedObj(b.get());
    b->SetLinkedObj(c.bLinksBack ? static_cast<TCommonObj *>(a.get()) : elsewhere.get());

    a->Link()->DrawLinkLine(Canvas(), TRect());
    EXPECT_EQ(At(170, 102) == kRed, c.arrowAB); // head at B
    EXPECT_EQ(At(30, 102) == kRed, c.arrowBA);  // head at A
    EXPECT_EQ(At(100, 100) == kRed, c.arrowAB || c.arrowBA);
    EXPECT_EQ(At(180, 140) == kRed, !c.bLinksBack && c.arrowAB); // B's arrow down the chain
    EXPECT_FALSE(a->Link()->LinkDrawing);
    EXPECT_FALSE(b->Link()->LinkDrawing);
  }
}

TEST_F(LinkLineTest, NothingIsDrawnWhileTheOwnerIsDrawing) {
  auto a = Leaf(QStringLiteral("a"), {20, 100});
  auto b = Leaf(QStringLiteral("b"), {180, 100});
  a->SetLinkedObj(b.get());
  a->Link()->LinkDrawing = true;
  EXPECT_EQ(a->Link()->DrawLinkLine(Canvas(), Rect(5, 5, 50, 50)), TRect());
  EXPECT_TRUE(AllWhite());

  // Without partners the answer is the caller's clip rectangle.
  a->Link()->LinkDrawing = false;
  a->SetLinkedObj(nullptr);
  EXPECT_EQ(a->Link()->DrawLinkLine(Canvas(), Rect(5, 5, 50, 50)), Rect(5, 5, 50, 50));
  EXPECT_EQ(a->Link()->DrawLinkLine(Canvas(), TRect()), TRect());
}

TEST_F(LinkLineTest, PartnerEqualToTheOwnerGetsNoArrow) {
  auto a = Leaf(QStringLiteral("a"), {20, 100});
  a->UseMultiLink();
  auto b = Leaf(QStringLiteral("b"), {180, 100}, 5);
  a->AddObj(a.get());
  a->AddObj(b.get());
  a->Link()->DrawLinkLine(Canvas(), TRect());
  EXPECT_EQ(At(170, 102), kRed); // the arrow to B
  for (int y = 80; y < 100; ++y) // an arrow onto itself would put its head above A
    EXPECT_EQ(At(20, y), kWhite) << y;
}

TEST_F(LinkLineTest, TrayWalkVisitsRemainingMembersPastConductors) {
  auto m0 = Leaf(QStringLiteral("m0"), {}, 0);
  auto conductor = Leaf<TLinkConductor>(QStringLiteral("wire"), {}, 1);
  auto m2 = Leaf(QStringLiteral("m2"), {}, 2);
  std::unique_ptr<TTestFigure> m3 = Figure(QStringLiteral("m3"), Square(0, 0, 2), 0, 3);
  auto m4 = Leaf<TLinkConductor>(QStringLiteral("wire2"), {}, 4);
  std::unique_ptr<TCommonObj> tray = NewObject<TTestTray<true>>();
  std::unique_ptr<TCommonObj> box = NewObject<TTestTray<false>>();
  for (TCommonObj *compo : {tray.get(), box.get()})
    for (TCommonObj *m :
         {static_cast<TCommonObj *>(m0.get()), static_cast<TCommonObj *>(conductor.get()),
          static_cast<TCommonObj *>(m2.get()), static_cast<TCommonObj *>(m3.get()),
          static_cast<TCommonObj *>(m4.get())})
      compo->AddObj(m);
  const struct {
    TCommonObj *compo;
    QStringList visited;
  } cases[] = {{tray.get(), {"m0", "m2", "m3"}}, {box.get(), {"m0"}}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.compo->ObjInfo().Name.toStdString());
    QStringList visited;
    {
      TDrawLinkIt walker(c.compo, Canvas(), TRect());
      EXPECT_TRUE(c.compo->Link()->LinkDrawing);
      while (walker.HasNext())
        visited << walker.Link()->Name;
    }
    EXPECT_EQ(visited, c.visited);
    EXPECT_FALSE(c.compo->Link()->LinkDrawing);
    c.compo->Link()->DrawLinkLine(Canvas(), TRect()); // members without a link draw nothing
  }
}

TEST_F(LinkLineTest, DragLinkLineDrawsErasesAndOnlyErases) {
  // The rubber line goes onto the system canvas: the page window's.
  struct TPageWindow : TBaseWindow {
    TCanvas *canvas;
    void Invalidate(const TRect &, bool) override {}
    TCanvas *Canvas() override { return canvas; }
  } window;
  window.canvas = &Canvas();
  TSysContext::Start({});
  SysInfo().SetObjBase(&window);
  auto a = Leaf(QStringLiteral("a"), {10.5, 10});
  auto *link = static_cast<TConcretaLink *>(a->Link());
  EXPECT_EQ(link->LinkPos(), Point(-1, -1));
  Canvas().Pen().SetColor(kRed); // the rubber line has its own pen

  link->DragLinkLine(60, 10); // from (10, 10): 10.5 rounds half to even
  EXPECT_EQ(At(10, 10), kBlack);
  EXPECT_EQ(At(35, 10), kBlack);
  EXPECT_EQ(At(10, 35), kWhite);
  EXPECT_EQ(Canvas().Pen().Mode(), pmNotXor);

  link->DragLinkLine(10, 60); // the old segment goes, the new one comes
  EXPECT_EQ(At(35, 10), kWhite);
  EXPECT_EQ(At(10, 35), kBlack);
  EXPECT_EQ(link->LinkPos(), Point(10, 60));

  link->DragLinkLine(-1, -1);
  EXPECT_TRUE(AllWhite());
  link->DragLinkLine(-1, -1); // nothing left to erase
  EXPECT_TRUE(AllWhite());
  TSysContext::Reset();

  // Without a system canvas only the loose end moves.
  link->DragLinkLine(30, 30);
  EXPECT_EQ(link->LinkPos(), Point(30, 30));
  EXPECT_TRUE(AllWhite());
}

// ---- Removal and storage ----

TEST_F(LinkTest, RemovingAnObjectRemovesEveryLinkToIt) {
  std::unique_ptr<TTestPage> page = Page();
  auto *x = page->AddObj(Leaf(QStringLiteral("x"), {}, 1));
  auto *y = page->AddObj(Leaf(QStringLiteral("y"), {}, 2));
  auto *a = page->AddObj(Leaf(QStringLiteral("a"), {}, 3));
  auto multi = Leaf(QStringLiteral("multi"), {}, 4);
  multi->UseMultiLink();
  auto *m = page->AddObj(std::move(multi));
  std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>();
  auto *inner = group->AddObj(Leaf(QStringLiteral("inner")));
  page->AddObj(std::move(group));
  // A box whose children are p1 and p2, p1 linked to p2 inside it.
  std::unique_ptr<TTestTray<false>> box = NewObject<TTestTray<false>>();
  auto p1 = Leaf(QStringLiteral("p1"), {}, 7);
  auto p2 = Leaf(QStringLiteral("p2"), {}, 8);
  box->AddObj(p1.get());
  box->AddObj(p2.get());
  p1->SetLinkedObj(p2.get());
  box->Param.Priority = 6;
  auto *boxed = page->AddObj(std::move(box));

  a->SetLinkedObj(x);
  inner->SetLinkedObj(x);
  m->Link()->AddLink(x);
  m->Link()->AddLink(y);
  m->Link()->AddLink(p1.get());
  m->Link()->AddLink(p2.get());
  x->SetLinkedObj(y); // x's own link goes with it

  RemoveLinksTo(page.get(), x);
  EXPECT_EQ(a->LinkedObj(), nullptr);
  EXPECT_EQ(inner->LinkedObj(), nullptr);
  EXPECT_EQ(Partners(*m), (std::vector<TCommonObj *>{y, p1.get(), p2.get()}));
  EXPECT_EQ(x->LinkedObj(), y);

  // A composite: every partner it holds, however many, and none of the
  // links inside it.
  RemoveLinksTo(page.get(), boxed);
  EXPECT_EQ(Partners(*m), (std::vector<TCommonObj *>{y}));
  EXPECT_EQ(p1->LinkedObj(), p2.get());
  EXPECT_EQ(boxed->LinkedObj(), p1.get());

  RemoveLinksTo(page.get(), nullptr);
  RemoveLinksTo(nullptr, y);
  EXPECT_EQ(m->LinkedObj(), y);
}

TEST_F(LinkTest, ObjectTakenOutAndPutBackKeepsItsIdLinksAndPlace) {
  std::unique_ptr<TTestPage> page = Page();
  TCommonObj *x = page->AddObj(Leaf(QStringLiteral("x"), {}, 1));
  TCommonObj *a = page->AddObj(Leaf(QStringLiteral("a"), {}, 2));
  TCommonObj *y = page->AddObj(Leaf(QStringLiteral("y"), {}, 3));
  a->SetLinkedObj(y); // its own link
  x->SetLinkedObj(a); // a link to it
  a->Param.Text = QStringLiteral("kept");
  const int64_t id = a->Id();
  const int index = page->Pool()->IndexOf(a);
  ASSERT_EQ(index, 1);
  page->UpdateLinkId();
  TMetaStream before;
  page->SaveToStream(before);
  const int alive = gAlive;

  // Taken out of the owning pool, it is handed over (as an undo record
  // would hold it); nothing is freed.
  std::unique_ptr<TCommonObj> held = page->OwnedPool()->Extract(a);
  ASSERT_EQ(held.get(), a);
  EXPECT_EQ(Partners(*page), (std::vector<TCommonObj *>{x, y}));
  EXPECT_EQ(gAlive, alive);
  EXPECT_EQ(held->Id(), id);
  EXPECT_EQ(held->LinkedObj(), y);
  EXPECT_EQ(held->Param.Text, QStringLiteral("kept"));
  EXPECT_EQ(x->LinkedObj(), a);

  // Put back at its index it regains its place, with its id and links.
  EXPECT_EQ(page->OwnedPool()->Insert(index, std::move(held)), a);
  EXPECT_EQ(Partners(*page), (std::vector<TCommonObj *>{x, a, y}));
  EXPECT_EQ(a->Id(), id);
  EXPECT_EQ(a->LinkedObj(), y);
  EXPECT_EQ(x->LinkedObj(), a);
  page->UpdateLinkId();
  TMetaStream after;
  page->SaveToStream(after);
  EXPECT_EQ(after.Bytes(), before.Bytes()); // the same record, byte for byte

  // The same through the composite, for a composite's owning pool.
  std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>();
  TCommonObj *g0 = group->AddObj(Leaf(QStringLiteral("g0"), {}, 1));
  TCommonObj *g1 = group->AddObj(Leaf(QStringLiteral("g1"), {}, 2));
  g0->SetLinkedObj(g1);
  std::unique_ptr<TCommonObj> taken = group->Extract(g0);
  ASSERT_EQ(taken.get(), g0);
  EXPECT_EQ(group->Count(), 1);
  EXPECT_EQ(group->Insert(0, std::move(taken)), g0);
  EXPECT_EQ(Partners(*group), (std::vector<TCommonObj *>{g0, g1}));
  EXPECT_EQ(g0->LinkedObj(), g1);

  // Back in the pool, it is freed with it.
  const int withGroup = gAlive;
  page.reset();
  EXPECT_EQ(gAlive, withGroup - 4); // the page, x, a and y
}

TEST_F(LinkTest, LinksAreStoredAsIdsAndFoundAfterLoading) {
  for (bool withPartner : {true, false}) {
    SCOPED_TRACE(withPartner ? "partner on the page" : "partner missing");
    std::unique_ptr<TTestPage> page = Page();
    auto *a = page->AddObj(Leaf(QStringLiteral("a"), {}, 1));
    auto b = Leaf(QStringLiteral("b"), {}, 2);
    const int64_t bId = b->Id();
    ASSERT_GT(bId, 0);
    a->SetLinkedObj(b.get());
    if (withPartner) page->AddObj(std::move(b));

    page->UpdateLinkId();
    EXPECT_EQ(a->GetLinkedId(), bId);
    TMetaStream stream;
    page->SaveToStream(stream);
    stream.SetPosition(0);
    std::unique_ptr<TTestPage> read = Page();
    read->LoadFromStream(stream);
    ASSERT_EQ(read->Count(), withPartner ? 2 : 1);
    TCommonObj *readA = read->Pool()->Items(0);
    EXPECT_EQ(readA->GetLinkedId(), bId);
    EXPECT_EQ(readA->LinkedObj(), nullptr); // not before the page is linked again
    read->UpdateLink(nullptr);
    if (withPartner) {
      TCommonObj *readB = read->Pool()->Items(1);
      EXPECT_EQ(readB->Id(), bId);
      EXPECT_EQ(readA->LinkedObj(), readB);
      EXPECT_EQ(readA->Link()->LinkCount(), 1);
      EXPECT_EQ(readB->LinkedObj(), nullptr);
    } else {
      EXPECT_EQ(readA->LinkedObj(), nullptr);
      EXPECT_EQ(readA->Pool(), nullptr);
    }
  }
}

} // namespace
} // namespace lumora::test

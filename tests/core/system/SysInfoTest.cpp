#include "core/system/SysInfo.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Stream.h"

namespace lumora {

// An object whose abilities and linked object the test sets.
class TActiveTestObj : public TCommonObj {
  LUMORA_OBJECT(TActiveTestObj, TCommonObj)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("テスト物");
    return info;
  }
  bool ICan(TActKind aTask) override { return Param.ActType.Contains(aTask); }
  TCommonObj *GetLinkedObj() override { return linked; }
  TCommonObj *linked = nullptr;

protected:
  TActiveTestObj() = default;
};

// The same, of the kind "伝送路".
class TWireTestObj : public TActiveTestObj {
  LUMORA_OBJECT(TWireTestObj, TActiveTestObj)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("伝送路");
    return info;
  }

protected:
  TWireTestObj() = default;
};

namespace {

struct TFakeAdsorb : IAdsorbMap {
  explicit TFakeAdsorb(std::vector<std::string> &aLog) : log(aLog) {}
  void OpenPage(TCommonObj *aPage) override {
    log.push_back("open");
    page = aPage;
  }
  void UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) override {
    log.push_back("update");
    page0 = aPage0;
    page = aPage;
  }
  void ClosePage() override { log.push_back("close"); }
  void AddObj(TCommonObj *) override { log.push_back("add"); }
  std::vector<std::string> &log;
  TCommonObj *page0 = nullptr, *page = nullptr;
};

struct TFakeHandler : IMouseHandler {
  TGrabState GrabState() const override { return state; }
  void SetGrabState(TGrabState aState) override { state = aState; }
  TObjMode ObjMode() const override { return mode; }
  void SetObjMode(TObjMode aMode) override { mode = aMode; }
  TCommonObj *ActiveObj() const override { return active; }
  void SetActiveObj(TCommonObj *aObj) override {
    active = aObj;
    if (log) log->push_back(aObj ? "select" : "deselect");
  }
  TCommonObj *ParentUseObj(TCommonObj *) override { return userPart; }
  IAdsorbMap *Adsorb() override { return adsorb; }
  void ClearGrips() override {
    if (log) log->push_back("grips");
  }
  TGrabState state = gsNormal;
  TObjMode mode = omNon;
  TCommonObj *active = nullptr;
  TCommonObj *userPart = nullptr;
  IAdsorbMap *adsorb = nullptr;
  std::vector<std::string> *log = nullptr;
};

struct TFakePropServer : IPropServer {
  bool Showing() const override { return showing; }
  void Close() override {
    showing = false;
    ++closes;
  }
  bool showing = false;
  int closes = 0;
};

class SysInfoTest : public ::testing::Test {
protected:
  void SetUp() override { TCoreContext::Start(); }
  void TearDown() override { TCoreContext::Reset(); }
  TSysInfo info_;
};

// ---- Pen rule ----

constexpr TColor kBack = 0x404040;

struct TLineProbe {
  int thickness = 0; // pixels of column 30 that differ from the background
  TColor color = kBack;
};

// Draws a horizontal line through (30, 20) with the canvas's pen.
TLineProbe DrawLine(const std::function<void(TCanvas &)> &setPen) {
  TBitmap bitmap(60, 40);
  TCanvas &canvas = bitmap.Canvas();
  canvas.Brush().SetColor(kBack);
  canvas.FillRect(TRect{0, 0, 60, 40});
  setPen(canvas);
  canvas.MoveTo(5, 20);
  canvas.LineTo(55, 20);
  TLineProbe probe;
  for (int y = 0; y < 40; ++y) {
    if (bitmap.Pixel(30, y) == kBack) continue;
    ++probe.thickness;
    probe.color = bitmap.Pixel(30, y);
  }
  return probe;
}

TEST_F(SysInfoTest, PenRuleScalesAwayFromZoomOneAndFadesThinLines) {
  struct Case {
    long double zoom;
    uint8_t width;
    bool coating;
    TColor face, line;
    int thickness;
    TColor color;
  };
  const Case cases[] = {
      {1.25L, 2, false, clWhite, clBlack, 2, clBlack}, // near 1: stored width
      {0.75L, 3, false, clWhite, clBlack, 3, clBlack},
      {1.5L, 2, false, clWhite, clBlack, 3, clBlack}, // 2 x 1.5
      {2.0L, 3, true, clWhite, clRed, 6, clRed},
      // 0.5 pixel: one pixel half way to silver, or to the face when filled.
      {0.25L, 2, false, clWhite, clBlack, 1, 0x606060},
      {0.25L, 2, true, clRed, clBlack, 1, 0x00007F},
      {1.0L, 0, true, clRed, clBlack, 1, clWhite}, // near 1 the fade is toward white
      {1.0L, 1, false, clWhite, clNone, 0, kBack}, // no line stays no line
      {0.25L, 2, false, clWhite, clNone, 0, kBack},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "zoom " << double(c.zoom) << " width " << int(c.width));
    info_.SetZoom(c.zoom);
    TObjParam param;
    param.Width = c.width;
    param.Coating = c.coating;
    param.FaceColor = c.face;
    param.LineColor = c.line;
    const TLineProbe probe = DrawLine([&](TCanvas &canvas) {
      canvas.Pen().SetStyle(psDot);
      info_.SetPen(canvas, param);
      EXPECT_EQ(canvas.Pen().Style(), psSolid);
      EXPECT_EQ(canvas.Brush().Style(), bsSolid); // the brush is not touched
    });
    EXPECT_EQ(probe.thickness, c.thickness);
    EXPECT_EQ(probe.color, c.color);
  }
}

TEST_F(SysInfoTest, PenFromWidthAndColourClearsTheBrushAndNeverUsesAFace) {
  info_.SetZoom(0.25L);
  TLineProbe probe = DrawLine([&](TCanvas &canvas) {
    info_.SetPen(canvas, 2.0, clBlack);
    EXPECT_EQ(canvas.Brush().Style(), bsClear);
  });
  EXPECT_EQ(probe.thickness, 1);
  EXPECT_EQ(probe.color, 0x606060);

  // clNone: neither the outline nor the inside of a rectangle is drawn.
  info_.SetZoom(1.0L);
  TBitmap bitmap(20, 20);
  TCanvas &canvas = bitmap.Canvas();
  canvas.Brush().SetColor(kBack);
  canvas.FillRect(TRect{0, 0, 20, 20});
  canvas.Brush().SetColor(clRed);
  info_.SetPen(canvas, 3.0, clNone);
  EXPECT_EQ(canvas.Pen().Style(), psClear);
  EXPECT_EQ(canvas.Brush().Style(), bsClear);
  canvas.Rectangle(2, 2, 18, 18);
  EXPECT_EQ(bitmap.Pixel(2, 10), kBack);
  EXPECT_EQ(bitmap.Pixel(10, 10), kBack);
}

TEST(BlendColorTest, BlendsChannelsAndGuardsTheFraction) {
  EXPECT_EQ(BlendColor(clBlack, clSilver, 0.5), 0x606060);
  EXPECT_EQ(BlendColor(RGB(200, 100, 0), RGB(0, 0, 255), 0.25), RGB(50, 25, 191));
  EXPECT_EQ(BlendColor(clBlack, clNone, 0.0), clWhite);
  EXPECT_EQ(BlendColor(clBlack, clWindow, 0.0), ColorToRGB(clWindow));
  EXPECT_EQ(BlendColor(clRed, clBlue, std::nan("")), clBlue);
  EXPECT_EQ(BlendColor(clRed, clBlue, -3), clBlue);
  EXPECT_EQ(BlendColor(clRed, clBlue, 7), clRed);
}

// ---- Selection state ----

TEST_F(SysInfoTest, GrabStateIsRefusedWhileMultiSelecting) {
  struct Case {
    TGrabState start, asked;
    bool answer;
    TGrabState after;
  };
  const Case cases[] = {
      {gsMultiSelect, gsNormal, false, gsMultiSelect},
      {gsMultiMoving, gsNone, false, gsMultiMoving},
      {gsMultiSelect, gsMultiMoving, true, gsMultiMoving},
      {gsNormal, gsNone, true, gsNormal},
      {gsOpen, gsMoving, true, gsMoving},
  };
  TFakeHandler handler;
  info_.SetGrabHandle(&handler);
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.start) << " -> " << int(c.asked));
    handler.state = c.start;
    EXPECT_EQ(info_.IsValidGrabState(c.asked), c.answer);
    EXPECT_EQ(info_.GrabState(), c.after);
  }
}

TEST_F(SysInfoTest, ClearActiveClosesAShowingPropertyWindowAndKeepsCreateMode) {
  auto obj = NewObject<TActiveTestObj>();
  TFakeHandler handler;
  info_.SetGrabHandle(&handler);
  TFakePropServer server;
  for (bool showing : {false, true}) {
    for (TObjMode mode : {omCreate, omLink}) {
      handler.active = obj.get();
      handler.state = gsMoving;
      handler.mode = mode;
      server.showing = showing;
      server.closes = 0;
      info_.ClearActive(&server);
      EXPECT_EQ(server.closes, showing ? 1 : 0);
      EXPECT_EQ(info_.ActiveObj(), nullptr);
      EXPECT_EQ(info_.GrabState(), gsNormal);
      EXPECT_EQ(info_.ObjMode(), mode == omCreate ? omCreate : omNon);
    }
  }
  info_.ClearActive(nullptr); // no server: nothing to close
}

TEST_F(SysInfoTest, GrabHandleBringsItsSnappingMapAndClosePageClearsAll) {
  std::vector<std::string> log;
  TFakeAdsorb adsorb(log);
  TFakeHandler handler, noGrips;
  handler.adsorb = &adsorb;
  handler.log = &log;
  info_.SetGrabHandle(&handler);
  EXPECT_EQ(info_.Adsorb(), &adsorb);

  auto page0 = NewObject<TActiveTestObj>(), page = NewObject<TActiveTestObj>();
  info_.OpenAdsorb(page.get());
  info_.UpdateAdsorb(page0.get(), page.get());
  EXPECT_EQ(adsorb.page0, page0.get());
  EXPECT_EQ(adsorb.page, page.get());
  info_.ClosePage();
  EXPECT_EQ(log, (std::vector<std::string>{"open", "update", "deselect", "close", "grips"}));

  // A handler without grips leaves no map of the former one behind.
  info_.SetGrabHandle(&noGrips);
  EXPECT_EQ(info_.Adsorb(), nullptr);
  info_.OpenAdsorb(page.get());
  info_.ClosePage();
  info_.SetGrabHandle(nullptr);
  EXPECT_EQ(info_.GrabState(), gsNone);
  EXPECT_TRUE(info_.IsValidGrabState(gsNormal));
}

TEST_F(SysInfoTest, SysModeReachesTheMakingContext) {
  info_.SetSysMode(smExec);
  EXPECT_EQ(info_.SysMode(), smExec);
  EXPECT_EQ(TMakeInfo2::Get().SysMode, smExec);
  info_.SetSysMode(smAuthor);
  EXPECT_EQ(TMakeInfo2::Get().SysMode, smAuthor);
}

// ---- Last active object ----

TEST_F(SysInfoTest, LastActiveFollowsTheLinkAndUserPartRules) {
  enum TLinkKind { kNone, kPlain, kPlainLinked, kWire };
  struct Case {
    const char *name;
    TActType acts;
    TLinkKind link;
    bool inUserPart;
    bool taken;
  };
  const Case cases[] = {
      {"shown, no link", {atShow}, kNone, false, true},
      {"not shown", {atDrag}, kNone, false, false},
      {"custom action", {atShow, awCustom}, kNone, false, false},
      {"linked to an end", {atShow}, kPlain, false, false},
      {"linked, selectable", {atShow, atSelectable}, kPlain, false, true},
      {"linked to a chain", {atShow}, kPlainLinked, false, true},
      {"linked to a wire", {atShow}, kWire, false, false},
      {"in a user part, fixed", {atShow}, kNone, true, false},
      {"in a user part, sizable", {atShow, atSize}, kNone, true, true},
  };
  auto previous = NewObject<TActiveTestObj>();
  auto userPart = NewObject<TActiveTestObj>();
  auto oldPart = NewObject<TActiveTestObj>();
  TFakeHandler handler;
  info_.SetGrabHandle(&handler);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    info_.SetLastActive(nullptr);
    handler.userPart = oldPart.get();
    previous->Param.ActType = {atShow, atDrag};
    info_.SetLastActive(previous.get());
    ASSERT_EQ(info_.LastActive(), previous.get());

    auto obj = NewObject<TActiveTestObj>();
    obj->Param.ActType = c.acts;
    std::unique_ptr<TActiveTestObj> partner, further;
    if (c.link == kWire)
      partner = NewObject<TWireTestObj>();
    else if (c.link != kNone)
      partner = NewObject<TActiveTestObj>();
    if (c.link == kPlainLinked || c.link == kWire) {
      further = NewObject<TActiveTestObj>();
      partner->linked = further.get();
    }
    obj->linked = partner.get();
    handler.userPart = c.inUserPart ? userPart.get() : nullptr;

    info_.SetLastActive(obj.get());
    EXPECT_EQ(info_.LastActive(), c.taken ? obj.get() : previous.get());
    EXPECT_EQ(info_.LastUserObj(), c.taken ? handler.userPart : oldPart.get());
  }
  // Null clears the object and keeps its user part (that of the last case).
  info_.SetLastActive(nullptr);
  EXPECT_EQ(info_.LastActive(), nullptr);
  EXPECT_EQ(info_.LastUserObj(), userPart.get());
}

// ---- Files and folders ----

TEST(SysInfoFilesTest, EmfAndPngSwapOnlyInTabletBooks) {
  QTemporaryDir dir;
  struct Case {
    const char *book; // null: a memory stream
    const char *path, *expected;
  };
  const Case cases[] = {
      {"x.lmm3", "C:\\a\\b.EMF", "b.png"},
      {"x.LMM3", "pics/c.d.png", "c.d.emf"},
      {"x.lmm3", "b.emf", "b.png"},
      {"x.lmm3", "C:\\a\\b.bmp", "C:\\a\\b.bmp"},
      {"x.lmm3", "C:\\a\\emf", "C:\\a\\emf"},
      {"x.lmm2", "C:\\a\\b.EMF", "C:\\a\\b.EMF"},
      {"lmm3", "C:\\a\\b.EMF", "C:\\a\\b.EMF"},
      {nullptr, "C:\\a\\b.EMF", "C:\\a\\b.EMF"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path);
    std::unique_ptr<TStream> stream;
    if (c.book)
      stream = std::make_unique<TFileStream>(dir.filePath(QString::fromUtf8(c.book)), fmCreate);
    else
      stream = std::make_unique<TMemoryStream>();
    EXPECT_EQ(TSysInfo::ChangeEmfPngExt(*stream, QString::fromUtf8(c.path)),
              QString::fromUtf8(c.expected));
  }
}

TEST(SysInfoFilesTest, DataFolderGivesTheFourFolders) {
  TSysInfo info;
  info.SetLumoraHolder(QStringLiteral("\\Lumora算数"));
  EXPECT_EQ(info.LumoraDir(), QStringLiteral("/Lumora算数"));
  EXPECT_EQ(info.UserObjFolder(), QStringLiteral("/Lumora算数/ユーザーオリジナル"));
  EXPECT_EQ(info.MaterialFolder(), QStringLiteral("/Lumora算数/教材"));
  EXPECT_EQ(info.StillFolder(), QStringLiteral("/Lumora算数/静止画/"));
  EXPECT_EQ(info.SoundFolder(), QStringLiteral("/Lumora算数/音/"));
  info.SetLumoraHolder(QStringLiteral("/data/"));
  EXPECT_EQ(info.SoundFolder(), QStringLiteral("/data/音/"));
}

} // namespace
} // namespace lumora

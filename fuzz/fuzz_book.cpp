// Fuzzes the whole book reader: the header and its version questions (both
// answered OK), the description, the stamp and image lists into the picture
// stores, the page section with every object record (pages, their system
// objects, figures, stills, user parts nested in pages, placeholders for
// unknown kinds), then the re-linking of the book after reading, a walk of
// every object and a save of what was read. The input is a book file; the
// low bit of its last byte also picks the system mode. Bad data must end in
// lumora::Exception or a false answer, never in a crash, a read out of
// bounds, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/book/BookClasses.h"
#include "core/book/CoreStart.h"
#include "core/book/Iterators.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/drawable/DrawObj.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "core/model/ObjPool.h"
#include "core/pictures/CustomStamp.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "platform/ui/MessageBox.h"

using namespace lumora;

namespace {

// The kinds of the books the tests save, which seed this target.
class TFuzzBook : public TMetaBook {
  LUMORA_OBJECT(TFuzzBook, TMetaBook)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト書籍");
    return info;
  }

protected:
  TFuzzBook() = default;
};

class TFuzzPage : public TMetaPage {
  LUMORA_OBJECT(TFuzzPage, TMetaPage)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト書籍頁");
    return info;
  }

protected:
  TFuzzPage() = default;
};

// A drawable figure of a given kind: a filled polygon.
class TFuzzFigure : public TDrawObj {
  LUMORA_OBJECT(TFuzzFigure, TDrawObj)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト矩形");
    info.FormType = {otSurface};
    info.ActType = {atShow};
    return info;
  }
  using TDrawObj::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override {
    PrepareCanvas(aCanvas);
    std::vector<TPoint> points;
    for (const TRealPoint &p : aPolygon)
      points.push_back(RealPointToPoint(p));
    aCanvas.Polygon(points);
  }

protected:
  TFuzzFigure() = default;
};

#define FUZZ_KIND(Class, Kind, Form)                                                               \
  class Class : public TFuzzFigure {                                                               \
    LUMORA_OBJECT(Class, TFuzzFigure)                                                              \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TFuzzFigure::GetObjInfo();                                                   \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = TFormType Form;                                                              \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() = default;                                                                             \
  };

FUZZ_KIND(TFuzzStill, "静止画", ({otSurface, otPicture}))
FUZZ_KIND(TFuzzMemo, "Sys文字編集", ({otSurface}))
FUZZ_KIND(TFuzzStamp, "スタンプ", ({otStamp}))

// A stamp object: its picture comes from the stamp store by Param.Text.
class TFuzzPictureStamp : public TCustomStamp {
  LUMORA_OBJECT(TFuzzPictureStamp, TCustomStamp)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.ClassName = QStringLiteral("スタンプ");
    info.Name = QStringLiteral("テスト印影");
    info.FormType = {otStamp};
    info.ActType = {atShow, atSize, atRotate};
    return info;
  }
  double GetObjAngle() override { return TDrawObj::GetObjAngle(); }
  void SetObjAngle(double aAngle) override { TDrawObj::SetObjAngle(aAngle); }

protected:
  TFuzzPictureStamp()
      : TCustomStamp([] {
          TObjParam param;
          param.ObjName = QStringLiteral("テスト印影");
          param.ActType = {atShow, atSize, atRotate};
          param.Grabs = 8;
          return param;
        }()) {}
};

// A user part: a file-container compound that owns its members and walks
// them for the book writer.
class TFuzzPartHasNext : public TLmHasNext {
public:
  TFuzzPartHasNext(THasNext *aParent, TCustomCompo *aCompo) : TLmHasNext(aParent, aCompo) {}
  bool IsTarget(TCommonObj *aObj) override { return Iterator()->Condition(aObj); }
};

class TFuzzPartIterator : public TLmIterator {
public:
  TFuzzPartIterator(TCustomCompo *aCompo, const QString &aKind)
      : TLmIterator(HasNextClass<TFuzzPartHasNext>()), kind_(aKind) {
    Begin(aCompo);
  }
  bool Condition(TCommonObj *aObj) override { return aObj->Param.ObjName == kind_; }

private:
  QString kind_;
};

class TFuzzPart : public TLmCompo {
  LUMORA_OBJECT(TFuzzPart, TLmCompo)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト部品");
    info.FormType = {otSurface, otUser};
    info.ActType = {atShow};
    return info;
  }
  using TLmCompo::CreateIterator;
  std::unique_ptr<TLmIterator> CreateIterator(TObjType, const QString &aObj) override {
    return std::make_unique<TFuzzPartIterator>(this, aObj);
  }
  std::unique_ptr<TLmIterator> CreateIterator(TActKind) override {
    return std::make_unique<TFuzzPartIterator>(this, QString());
  }

protected:
  TFuzzPart() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

// Answers every question with its default button, silently.
class TSilentBox : public IMessageBox {
public:
  TMsgResult Show(const QString &, const QString &, TMsgButtons buttons) override {
    return DefaultButton(buttons);
  }
};

void Start() {
  TCoreStartup startup;
  startup.RegisterClasses = [](TObjClassList &classes) {
    RegisterCoreClasses(classes);
    RegisterBookClasses(classes);
    classes.Add<TFuzzBook>();
    classes.Add<TFuzzPage>();
    classes.Add<TFuzzFigure>();
    classes.Add<TFuzzStill>();
    classes.Add<TFuzzMemo>();
    classes.Add<TFuzzStamp>();
    classes.Add<TFuzzPictureStamp>();
    classes.Add<TFuzzPart>();
  };
  startup.StartSystem = [] { TSysContext::Start({}); };
  StartCore(startup);
  TMakeInfo2::Get().NameParent().SetSleeper([](int) {});
  SetMessageBox(std::make_unique<TSilentBox>());
  SetVersionQuestion([](const QString &) { return true; });
}

} // namespace

// Placeholders write their note and the thumbnail draws the page: text
// needs the fonts of a GUI application.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started = (Start(), true);
  (void)started;
  if (size < 1) return 0;
  const TSysMode mode = (data[size - 1] & 1) ? smExec : smAuthor;
  TMakeInfo2::Get().SysMode = mode;
  SysInfo().SetSysMode(mode);
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)));
  {
    std::unique_ptr<TFuzzBook> book = NewObject<TFuzzBook>();
    SetCurrentBook(book.get());
    try {
      QString header;
      if (book->LoadFromBookStream(stream, QString(), header)) {
        TOpenBook opener(book.get(), QString());
        opener.Open(nullptr);
        // Walk what was read as the writer does, then write it again.
        for (TActKind act : {awMPEG, awSound}) {
          std::unique_ptr<TLmIterator> it = book->CreateIterator(act);
          while (it && it->HasNext())
            it->GetFileName();
        }
        TMemoryStream out;
        book->SaveToBookStream(out, QString());
      }
    } catch (const Exception &) {
    }
    SetCurrentBook(nullptr);
  }
  ResetStampMaker();
  ResetStillMaker();
  return 0;
}

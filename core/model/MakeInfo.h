#pragma once
// The making context: the program-wide state that constructors, makers,
// executors and loaders consult (system mode, the page window, the root
// object), the id and default-name generator, and the maker of an object
// from a stored record.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/model/BaseWindow.h"
#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"

namespace lumora {

class TCanvas;
class TCommonObj;
class TMetaStream;

// Answers the current root composite: the page being shown.
using TRootObj = std::function<TCommonObj *()>;

class TMakeInfo {
public:
  virtual ~TMakeInfo() = default;

  TSysMode SysMode = smAuthor;
  TBaseWindow *Base = nullptr; // makers invalidate on it
  TCanvas *Canvas = nullptr;
  TMouseEventHandler *GrabHandle = nullptr;
  TRootObj RootObj;

  // The root object, or null when there is none.
  TCommonObj *Root() const { return RootObj ? RootObj() : nullptr; }

  // Copies SysMode, Base, Canvas, GrabHandle and RootObj.
  virtual void Assign(const TMakeInfo &aSource);
  // A new id in text form, given to no object.
  virtual QString CreateId() = 0;
  // Draws a new id, stores it as aObj's id and answers aName (or aObj's
  // kind name when aName is empty) + "[" + id text + "]". The caller stores
  // the name.
  virtual QString CreateName(TCommonObj &aObj, const QString &aName) = 0;
  // Makes the object for the record at the stream's position without
  // reading its fields: the class of the record's kind for the current mode,
  // or the placeholder. Null at the end of the stream. The position is left
  // behind the record's size field.
  virtual std::unique_ptr<TCommonObj> LoadFromStream(TMetaStream &aStream) = 0;
  // Re-makes the objects in front of aObj that overlap it, in the pool of
  // aObjList (the root object when null); collects them into aOverTopList
  // when one is given.
  virtual void ReMakeFrontObj(TCommonObj *aObj, TCommonObj *aObjList, TObjList *aOverTopList) = 0;

  // Sets the program-wide context's window, canvas, mouse handler and root
  // object; a mouse handler calls it when it takes over a page window.
  static void Construct(TBaseWindow *aBase, TCanvas *aCanvas, TMouseEventHandler *aGrabHandle,
                        TRootObj aObjPool);
};

class TMakeInfo2 : public TMakeInfo {
public:
  // The id generator. An id is the whole milliseconds since 2005-01-01
  // 00:00 local time times 62, plus a counter within one millisecond.
  class TNameParent {
  public:
    // Milliseconds since 2005-01-01 00:00 local time.
    using TClock = std::function<int64_t()>;
    using TSleeper = std::function<void(int milliseconds)>;

    TNameParent();
    int64_t NewId();
    // Base 62, most significant digit first; "" for 0 and below.
    static QString IdToText(int64_t aId);

    // Replace the clock and the sleeper (tests); empty restores the real one.
    void SetClock(TClock clock);
    void SetSleeper(TSleeper sleeper);
    static int64_t RealClock();

    static constexpr int FDeno = 62;
    static constexpr int FMaxBrc = 56; // 62 x 0.9 rounded

  private:
    int64_t FSaveTime = 0;
    int32_t FBranch = 0;
    TClock clock_;
    TSleeper sleeper_;
  };

  TMakeInfo2();

  // The program-wide making context.
  static TMakeInfo2 &Get();

  TNameParent &NameParent() { return *FNameParent; }

  QString CreateId() override;
  QString CreateName(TCommonObj &aObj, const QString &aName) override;
  std::unique_ptr<TCommonObj> LoadFromStream(TMetaStream &aStream) override;
  void ReMakeFrontObj(TCommonObj *aObj, TCommonObj *aObjList, TObjList *aOverTopList) override;
  // The shown objects of aObjList (the root object when null) in front of
  // aObj that overlap it, back to front; nothing is re-made.
  TObjList FrontObjs(TCommonObj *aObj, TCommonObj *aObjList) const;

  // The placeholder "仮オブジェクト" for a record of a kind no class bears:
  // it takes the record's parameters, with Text := the kind name and
  // ObjName := its own kind name.
  std::unique_ptr<TCommonObj> CreatePlaceholder(const TObjParam &aParam);

private:
  std::unique_ptr<TNameParent> FNameParent;
};

} // namespace lumora

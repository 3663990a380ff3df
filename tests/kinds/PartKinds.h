#pragma once
// User parts "テスト部品": the tests' part, a file-container compound that
// owns its members and gives the filtered walk the book writer uses to count
// the pictures inside it, and the plain part the fuzz target reads, whose
// walk takes objects of one kind only.
#include <QString>
#include <memory>
#include <vector>

#include "core/book/Iterators.h"
#include "core/book/LmCompo.h"
#include "core/model/ObjPool.h"

namespace lumora::test {

// A filtered walk over a compound, as user parts give one: objects of the
// kind, or whose class has the form type (an unset filter takes no part).
class TPartFilterHasNext : public TLmHasNext {
public:
  TPartFilterHasNext(THasNext *aParent, TCustomCompo *aCompo) : TLmHasNext(aParent, aCompo) {
    if (auto *frame = dynamic_cast<TPartFilterHasNext *>(aParent)) {
      kind = frame->kind;
      type = frame->type;
    }
  }
  bool IsTarget(TCommonObj *aObj) override {
    return (!kind.isEmpty() && aObj->Param.ObjName == kind) ||
           (type != otNon && aObj->ObjInfo().FormType.Contains(type));
  }
  QString kind;
  TObjType type = otNon;
};

class TPartFilterIterator : public TLmIterator {
public:
  TPartFilterIterator(TCustomCompo *aCompo, TObjType aType, const QString &aKind)
      : TLmIterator(HasNextClass<TPartFilterHasNext>()) {
    Begin(aCompo);
    auto *first = static_cast<TPartFilterHasNext *>(fStack.back().get());
    first->kind = aKind;
    first->type = aType;
  }
};

// A user part: a file-container compound that owns its members. The
// rectangle walk enters it (its catalogue lacks atDrag).
class TIterPart : public TLmCompo {
  LUMORA_OBJECT(TIterPart, TLmCompo)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.ClassName = QStringLiteral("オリジナル");
    info.Name = QStringLiteral("テスト部品");
    info.FormType = {otSurface, otUser};
    info.ActType = {atShow};
    return info;
  }
  using TLmCompo::CreateIterator;
  std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj) override {
    return std::make_unique<TPartFilterIterator>(this, aType, aObj);
  }
  void SetPoly(std::vector<TRealPoint> aPoints) { FPolygon = std::move(aPoints); }

protected:
  TIterPart() = default;
  void AfterConstruction() override {
    TLmCompo::AfterConstruction();
    FVisible = true;
  }
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

// A part moved as a whole: the rectangle walk does not enter it.
class TIterDragPart : public TIterPart {
  LUMORA_OBJECT(TIterDragPart, TIterPart)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TIterPart::GetObjInfo();
    info.Name = QStringLiteral("テスト一体部品");
    info.ActType = {atShow, atDrag};
    return info;
  }

protected:
  TIterDragPart() = default;
};

// The plain user part: a file-container compound that owns its members and
// walks them by kind for the book writer (a walk by ability takes none).
class TPlainPartHasNext : public TLmHasNext {
public:
  TPlainPartHasNext(THasNext *aParent, TCustomCompo *aCompo) : TLmHasNext(aParent, aCompo) {}
  bool IsTarget(TCommonObj *aObj) override { return Iterator()->Condition(aObj); }
};

class TPlainPartIterator : public TLmIterator {
public:
  TPlainPartIterator(TCustomCompo *aCompo, const QString &aKind)
      : TLmIterator(HasNextClass<TPlainPartHasNext>()), kind_(aKind) {
    Begin(aCompo);
  }
  bool Condition(TCommonObj *aObj) override { return aObj->Param.ObjName == kind_; }

private:
  QString kind_;
};

class TPlainPart : public TLmCompo {
  LUMORA_OBJECT(TPlainPart, TLmCompo)
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
    return std::make_unique<TPlainPartIterator>(this, aObj);
  }
  std::unique_ptr<TLmIterator> CreateIterator(TActKind) override {
    return std::make_unique<TPlainPartIterator>(this, QString());
  }

protected:
  TPlainPart() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

} // namespace lumora::test

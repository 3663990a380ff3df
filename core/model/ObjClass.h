#pragma once
// Class descriptors of page objects and the one path by which page objects
// are made.
//
// Every page-object class carries LUMORA_OBJECT (a class that can be made)
// or LUMORA_ABSTRACT_OBJECT (a base class) as the first line of its body:
//
//   class TMyFigure : public TRepreLeaf {
//     LUMORA_OBJECT(TMyFigure, TRepreLeaf)
//   public:
//     static TObjInfo GetObjInfo();   // the catalogue record
//   protected:
//     TMyFigure();                    // the parameterless constructor
//     explicit TMyFigure(const TObjParam &aParam);
//     void AfterConstruction() override;
//   };
//
// Construction has two phases. C++ constructors only set fields; the set-up
// that must reach the most derived class (grab record, companions for the
// system mode, defaults) runs in the virtual AfterConstruction, which
// NewObject calls right after the constructor. Constructors are protected,
// so NewObject (and the descriptor's factory, which uses it) is the only way
// to make an object.
#include <QString>
#include <memory>
#include <type_traits>

#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"

namespace lumora {

class TObjClass;
class TCommonObj;
class TCommonObj_;

// The catalogue record a class answers (its static GetObjInfo). An empty
// record (Name empty, ObjClass null) stands for "no class".
struct TObjInfo {
  int32_t IndexNo = 0; // palette number; -1 for classes not in the palette
  QString ClassName;   // palette section
  QString Name;        // kind name: the registry key, stored as Param.ObjName
  TFormType FormType;
  TActType ActType; // abilities a new object starts with
  QString Caption;
  QString Hint;
  QString FilePath; // palette icon among the program's resources
  const TObjClass *ObjClass = nullptr;
  // The class's own value: figures hold their number of corners in Origin64.
  QString OriginTx;
  int64_t Origin64 = 0;
  double OriginRv = 0;
};

// The creation path: constructs, then runs AfterConstruction.
class TObjectFactory {
public:
  template <class T, class... A> static std::unique_ptr<T> New(A &&...args) {
    std::unique_ptr<T> obj(new T(std::forward<A>(args)...));
    obj->AfterConstruction();
    return obj;
  }
};

template <class T, class... A> std::unique_ptr<T> NewObject(A &&...args) {
  return TObjectFactory::New<T>(std::forward<A>(args)...);
}

// The descriptor of one page-object class: its catalogue record, its
// factory (none for base classes) and its parent's descriptor.
class TObjClass {
public:
  using TFactory = std::unique_ptr<TCommonObj> (*)();

  TObjClass(const char *className, const TObjInfo &info, TFactory factory, const TObjClass *parent);
  TObjClass(const TObjClass &) = delete;
  TObjClass &operator=(const TObjClass &) = delete;

  // The C++ class name ("TNullObj").
  const char *ClassName() const { return className_; }
  // The catalogue record, with ObjClass pointing at this descriptor.
  const TObjInfo &GetObjInfo() const { return info_; }
  const TObjClass *ClassParent() const { return parent_; }
  bool IsAbstract() const { return factory_ == nullptr; }
  // True for this class and its descendants.
  bool InheritsFrom(const TObjClass &other) const;
  // A new object through the parameterless constructor; null for a base
  // class.
  std::unique_ptr<TCommonObj> Create() const;

private:
  const char *className_;
  TObjInfo info_;
  TFactory factory_;
  const TObjClass *parent_;
};

// The descriptor of class T, made on first use.
template <class T> const TObjClass &ObjClassOf() {
  static const TObjClass descriptor = [] {
    const TObjClass *parent = nullptr;
    if constexpr (!std::is_void_v<typename T::Inherited>)
      parent = &ObjClassOf<typename T::Inherited>();
    typename TObjClass::TFactory factory = nullptr;
    if constexpr (T::kConcreteObjClass)
      factory = []() -> std::unique_ptr<TCommonObj> { return TObjectFactory::New<T>(); };
    return TObjClass(T::kObjClassName, T::GetObjInfo(), factory, parent);
  }();
  return descriptor;
}

#define LUMORA_OBJECT_BODY_(Class, Parent, Concrete)                                               \
public:                                                                                            \
  using Inherited = Parent;                                                                        \
  static constexpr bool kConcreteObjClass = Concrete;                                              \
  static constexpr const char *kObjClassName = #Class;                                             \
  const ::lumora::TObjClass &ClassType() const override {                                          \
    return ::lumora::ObjClassOf<Class>();                                                          \
  }                                                                                                \
                                                                                                   \
private:                                                                                           \
  friend class ::lumora::TObjectFactory;

// A page-object class that can be made (registered or made by code).
#define LUMORA_OBJECT(Class, Parent) LUMORA_OBJECT_BODY_(Class, Parent, true)
// A base class: its descriptor has no factory.
#define LUMORA_ABSTRACT_OBJECT(Class, Parent) LUMORA_OBJECT_BODY_(Class, Parent, false)

} // namespace lumora

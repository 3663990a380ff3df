#pragma once
// The class of a mouse state, passed wherever a state class is named (the
// handler's class table, an object's own state, a release's successor): a
// descriptor with its parent, name and factory, so that "exactly that
// class", "that class or a subclass" and "a base of it" are answered one
// way everywhere.
#include <memory>

namespace lumora {

class TCommonObj;
class TCustomEvent;
class TMouseEventHandler;

class TObjEventClass {
public:
  using TFactory = std::unique_ptr<TCustomEvent> (*)(TMouseEventHandler *aOwner, TCommonObj *aObj);

  const char *Name;
  const TObjEventClass *Parent; // null for the root class
  TFactory Factory;             // null for an abstract class

  // Whether this is aBase or a class derived from it.
  bool InheritsFrom(const TObjEventClass *aBase) const {
    for (const TObjEventClass *c = this; c; c = c->Parent)
      if (c == aBase) return true;
    return false;
  }
  // A new state of this class; null for an abstract class.
  std::unique_ptr<TCustomEvent> Create(TMouseEventHandler *aOwner, TCommonObj *aObj) const;
};

using TEventClass = const TObjEventClass *;

} // namespace lumora

// Declares the class descriptor of a state class derived from Base.
#define LUMORA_EVENT_CLASS(Class, Base, Make)                                                      \
public:                                                                                            \
  static TEventClass StaticClass() {                                                               \
    static const TObjEventClass info{#Class, Base::StaticClass(), Make};                           \
    return &info;                                                                                  \
  }                                                                                                \
  TEventClass ClassType() const override {                                                         \
    return StaticClass();                                                                          \
  }

// A state class that can be built: Class(TMouseEventHandler *, TCommonObj *).
#define LUMORA_EVENT(Class, Base)                                                                  \
  LUMORA_EVENT_CLASS(                                                                              \
      Class, Base,                                                                                 \
      [](TMouseEventHandler *aOwner, TCommonObj *aObj) -> std::unique_ptr<TCustomEvent> {          \
        return std::unique_ptr<TCustomEvent>(new Class(aOwner, aObj));                             \
      })

// A state class that is only a base of others.
#define LUMORA_ABSTRACT_EVENT(Class, Base) LUMORA_EVENT_CLASS(Class, Base, nullptr)

#pragma once

// Events: assignable method pointers. An event holds the handler as a callable and, when the
// handler is a published method, the TMethod (method entry and object) that the streaming
// system writes by name and the form reader binds by name.
//
//   using TNotifyEvent = TEvent<void(TObject* Sender)>;
//   FOnClick = TNotifyEvent(form, &TMainForm::OkClick);
//   if (FOnClick) FOnClick(this);

#include <functional>

#include "vcl/Object.h"

template <class Signature> class TEvent;

template <class R, class... A> class TEvent<R(A...)> {
 public:
  using Signature = R(A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  // A method of an object; when it is one of the object's published methods the event
  // remembers which one.
  template <class C> TEvent(C* object, R (C::*method)(A...)) {
    if (!object) return;
    m_call = [object, method](A... args) -> R { return (object->*method)(args...); };
    m_method.Data = object;
    m_method.Code = FindPublished(object->ClassType(), method);
  }
  // Any callable; it has no name, so the streaming system does not write it.
  template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...> &&
                                              !std::is_same_v<std::decay_t<F>, TEvent>>>
  TEvent(F callable) : m_call(std::move(callable)) {}

  // Built for published method entries (see TClassBuilder::Method).
  static TEvent FromMethod(std::function<R(A...)> call, TMethod method) {
    TEvent event;
    event.m_call = std::move(call);
    event.m_method = method;
    return event;
  }

  explicit operator bool() const { return static_cast<bool>(m_call); }
  R operator()(A... args) const { return m_call(args...); }
  const TMethod& Method() const { return m_method; }

 private:
  template <class C> static const TMethodEntry* FindPublished(TClass cls, R (C::*method)(A...)) {
    for (; cls; cls = cls->Parent)
      for (const auto& entry : cls->Methods)
        if (auto* member = std::any_cast<R (C::*)(A...)>(&entry->Member); member && *member == method)
          return entry.get();
    return nullptr;
  }

  std::function<R(A...)> m_call;
  TMethod m_method;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

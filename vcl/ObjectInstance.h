#pragma once

// Window procedures bound to methods. MakeObjectInstance hands out one of a fixed pool of
// distinct static window procedures and binds it to a method taking the message; the
// procedure can then stand wherever a plain WNDPROC is wanted (GWL_WNDPROC, a window class),
// and its window's messages reach the method. Nothing is generated at run time: the pool is
// compiled in, and a program that needs more than its capacity at once gets
// EOutOfResources.
//
// FreeObjectInstance gives the procedure back. A window that still calls a freed procedure
// gets the default window procedure, and a freed procedure is handed out again only after
// every other free one (so a late call rarely reaches a new owner). A method may free its
// own procedure while it handles a message.
//
// Making and freeing may happen on any thread; the procedures run on the thread of their
// windows.

#include <functional>

#include "vcl/Messages.h"

using TWndMethod = std::function<void(TMessage& message)>;

// Raises EOutOfResources when every procedure of the pool is in use, and EInvalidOperation
// for an empty method.
WNDPROC MakeObjectInstance(TWndMethod method);

template <class C> WNDPROC MakeObjectInstance(C* object, void (C::*method)(TMessage&)) {
  return MakeObjectInstance(TWndMethod([object, method](TMessage& message) { (object->*method)(message); }));
}

// Null is ignored; a procedure that is not a live instance raises EInvalidPointer.
void FreeObjectInstance(WNDPROC instance);

// The size of the pool, and how many of its procedures are bound now.
int ObjectInstanceCapacity();
int ObjectInstancesInUse();

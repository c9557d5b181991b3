#pragma once

#include "vcl/Component.h"

// FC_DEFINE_SETTER(Class, Name, Type, Field, ...) defines Class::Set<Name>(Type value) for a
// plain property: nothing happens when the value is the one held; otherwise the value is
// stored in Field and the statements given last run (what the change calls for: a repaint, a
// broadcast to the controlled controls).

#define FC_DEFINE_SETTER(Class, Name, Type, Field, ...) \
  void Class::Set##Name(Type value) {                   \
    if (value == Field) return;                         \
    Field = value;                                      \
    __VA_ARGS__;                                        \
  }

// Sets `field`, a reference of `owner` to another component, to `value`: `owner` stops being
// told when the old one goes and is told when the new one goes.
template <class TReferenced>
void SetComponentReference(TComponent* owner, TReferenced*& field, TReferenced* value) {
  if (value == field) return;
  if (field) field->RemoveFreeNotification(owner);
  field = value;
  if (value) value->FreeNotification(owner);
}

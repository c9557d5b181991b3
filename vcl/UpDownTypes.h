#pragma once

// The types of up-down arrows (the spin edit draws its own pair): which arrow was clicked,
// the direction of a change, and the events that report a click and ask leave for a change.

#include "vcl/Event.h"
#include "vcl/TypInfo.h"

BRANTWELL_ENUM(TUDBtnType, btNext, btPrev)
BRANTWELL_ENUM(TUpDownDirection, updNone, updUp, updDown)

using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;
using TUDChangingEventEx =
    TEvent<void(TObject* Sender, bool& AllowChange, int NewValue, TUpDownDirection Direction)>;

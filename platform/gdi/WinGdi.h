#pragma once

// The whole GDI: include this to draw.

#include "platform/gdi/Blit.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Regions.h"
#include "platform/gdi/Text.h"

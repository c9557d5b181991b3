#pragma once

// Owners of pango and GLib objects, each bound to its release function (see UniqueHandle).
// Include it after the platform's own headers: GLib defines TRUE and FALSE as macros.

#include <pango/pangocairo.h>

#include "platform/gdi/CairoHandles.h"

namespace platform {

namespace detail {
template <typename Object>
void UnrefGObject(Object* object) {
  g_object_unref(object);
}
}  // namespace detail

// Any GObject (layouts, contexts, font maps), released with g_object_unref.
template <typename Object>
using GObjectRef = UniqueHandle<Object*, detail::UnrefGObject<Object>>;
using PangoLayoutRef = GObjectRef<PangoLayout>;
using PangoFontDescriptionPtr = UniqueHandle<PangoFontDescription*, pango_font_description_free>;
using PangoAttrListRef = UniqueHandle<PangoAttrList*, pango_attr_list_unref>;
using PangoFontMetricsRef = UniqueHandle<PangoFontMetrics*, pango_font_metrics_unref>;

}  // namespace platform

#pragma once

// What a GpGraphics draws on: an image, or a device context's bitmap. Each drawing call opens
// a session: the target hands out a cairo surface with its current pixels, the call draws, and
// Finish writes the surface back.

#include "platform/gdiplus/CairoBridge.h"

namespace platform::detail {

class GraphicsTarget {
 public:
  virtual ~GraphicsTarget() = default;
  virtual GpStatus Begin(SurfacePtr* surface) = 0;
  virtual GpStatus End(cairo_surface_t* surface) = 0;
  virtual double Dpi() = 0;

  class Session {
   public:
    explicit Session(GraphicsTarget& target);
    cairo_t* context() const { return m_context.get(); }
    GpStatus status() const { return m_status; }
    GpStatus Finish();

   private:
    GraphicsTarget& m_target;
    SurfacePtr m_surface;
    ContextPtr m_context;
    GpStatus m_status = Ok;
    bool m_finished = false;
  };
};

// Hands the new graphics object to the caller.
GpStatus NewGraphics(std::unique_ptr<GraphicsTarget> target, GpGraphics** graphics);

}  // namespace platform::detail

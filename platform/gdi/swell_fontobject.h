#pragma once

// The record behind an HFONT: a shared font instance with the metrics and decorations asked for.

#include "platform/gdi/swell_context.h"
#include "platform/gdi/swell_font.h"
#include "platform/gdi/swell_glyphcache.h"

namespace swell_text
{
struct FontObject : HGDIOBJ__
{
  FontInstance* instance = nullptr; // one reference held
  TEXTMETRIC metrics{};
  bool underline = false;
  bool strike_out = false;
  int underline_offset = 0; // below the baseline, pixels
  int strike_offset = 0;    // above the baseline, pixels
  int line_thickness = 1;

  ~FontObject() override;
};

// The font selected into ctx, or null. Fonts are the only drawing objects there are.
inline FontObject* SelectedFont(HDC ctx)
{
  return ctx ? static_cast<FontObject*>(ctx->font.get()) : nullptr;
}
} // namespace swell_text

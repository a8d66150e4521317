#pragma once

#include "platform/gdi/swell_types.h"

// Memory drawing contexts: off-screen pixel stores that the rasteriser draws into and that the
// editor host copies to the screen.

// Creates a context owning w x h pixels (32-bit, rows w pixels apart, top row first; contents
// undefined). `compatible` is accepted for the Win32 shape and not used. Returns null when w or h
// is not positive, the frame buffer would exceed 2 GB, or allocation fails.
HDC SWELL_CreateMemContext(HDC compatible, int w, int h);

// Returns the address of the context's first pixel, valid until the context is deleted; null for
// a null context or one without a frame buffer.
void* SWELL_GetCtxFrameBuffer(HDC ctx);

// Frees the context and its pixels. A null context is ignored.
void SWELL_DeleteGfxContext(HDC ctx);

// Owns one context for a scope and deletes it on the way out.
class SWELL_ContextHolder
{
public:
  explicit SWELL_ContextHolder(HDC ctx = nullptr) : m_ctx(ctx) {}
  ~SWELL_ContextHolder() { SWELL_DeleteGfxContext(m_ctx); }
  SWELL_ContextHolder(const SWELL_ContextHolder&) = delete;
  SWELL_ContextHolder& operator=(const SWELL_ContextHolder&) = delete;

  // The held context, or null.
  HDC get() const { return m_ctx; }
  // Deletes the held context and holds ctx instead.
  void reset(HDC ctx = nullptr)
  {
    if (ctx == m_ctx) return;
    SWELL_DeleteGfxContext(m_ctx);
    m_ctx = ctx;
  }
  // Gives up ownership and returns the context.
  HDC release()
  {
    HDC c = m_ctx;
    m_ctx = nullptr;
    return c;
  }

private:
  HDC m_ctx;
};

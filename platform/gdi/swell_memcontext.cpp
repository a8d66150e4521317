#include "platform/gdi/swell_memcontext.h"

#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/gdi/swell_context.h"

namespace
{
// Frame buffers beyond 2 GB are refused: no editor surface comes near it, and it keeps every
// byte offset within int.
constexpr uint64_t kMaxFrameBufferBytes = uint64_t(INT32_MAX);
}

HDC SWELL_CreateMemContext(HDC, int w, int h)
{
  if (w <= 0 || h <= 0) return nullptr;
  const uint64_t pixels = uint64_t(w) * uint64_t(h);
  if (pixels * sizeof(uint32_t) > kMaxFrameBufferBytes || pixels > SIZE_MAX / sizeof(uint32_t))
    return nullptr;

  std::unique_ptr<HDC__> ctx(new (std::nothrow) HDC__);
  if (!ctx) return nullptr;
  ctx->pixels.reset(new (std::nothrow) uint32_t[size_t(pixels)]);
  if (!ctx->pixels) return nullptr;
  ctx->width = w;
  ctx->height = h;
  return ctx.release();
}

void* SWELL_GetCtxFrameBuffer(HDC ctx)
{
  return ctx ? ctx->pixels.get() : nullptr;
}

void SWELL_DeleteGfxContext(HDC ctx)
{
  delete ctx;
}

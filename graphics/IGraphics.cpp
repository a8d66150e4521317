#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

#include "graphics/BitmapStorage.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IControl.h"
#include "graphics/ScopedPlugLock.h"
#include "plugin/IPlugBase.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_circle.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_polygon.h"
#include "rasterizer/lice_shapes.h"
#include "rasterizer/lice_sysbitmap.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFilteredCopyWithAlpha = LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_MODE_COPY;
constexpr int kFilteredAddWithAlpha = LICE_BLIT_USE_ALPHA | LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_MODE_ADD;

// Lines drawn by the outline helpers: opaque, copied, not anti-aliased.
void OpaqueLine(LICE_IBitmap* pDest, int x1, int y1, int x2, int y2, const IColor* pColor)
{
  LICE_Line(pDest, x1, y1, x2, y2, pColor->Packed(), 1.0f, LICE_BLIT_MODE_COPY, false);
}

} // namespace

IGraphics::IGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS)
  : mPlug(pPlug), mWidth(width), mHeight(height), mFPS(refreshFPS > 0 ? refreshFPS : 25)
{
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  delete mDrawBitmap;
  delete mTmpBitmap;
}

// ---- Virtual defaults ----

void* IGraphics::OpenWindow(void*, void*, short, short)
{
  return nullptr;
}

void IGraphics::AttachSubWindow(void*) {}

void IGraphics::RemoveSubWindow() {}

void IGraphics::HideMouseCursor() {}

void IGraphics::ShowMouseCursor() {}

bool IGraphics::Idle()
{
  return false;
}

bool IGraphics::DrawSnapshot(LICE_pixel* pDest, int width, int height)
{
  const LICE_BitmapRows rows(mDrawBitmap);
  if (!pDest || width != mWidth || height != mHeight || !rows.usable() || rows.width != width ||
      rows.height != height)
    return false;
  mDrawRECT = IRECT(0, 0, mWidth, mHeight);
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (!pControl->IsHidden()) pControl->Draw(this);
  }
  for (int y = 0; y < height; ++y) std::copy_n(rows.row(y), width, pDest + size_t(y) * width);
  return true;
}

void IGraphics::Resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return;
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  mMouseOver = -1;
  DeleteControls();
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (paramIdx < 0) return;
  if (!normalized)
  {
    const IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    value = pParam->GetNormalized(value);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromPlug(value);
    const int auxIdx = pControl->AuxParamIdx(paramIdx);
    if (auxIdx >= 0) pControl->SetAuxParamValueFromPlug(auxIdx, value);
  }
}

void IGraphics::PrepDraw()
{
  delete mDrawBitmap;
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  delete mTmpBitmap;
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

// ---- Controls ----

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal)
{
  nStates = std::max(nStates, 1);
  LICE_IBitmap* pImage = id >= 0 ? s_bitmapCache.Find(id) : nullptr;
  if (!pImage)
  {
    pImage = OSLoadBitmap(id, name);
    if (pImage && !s_bitmapCache.Add(pImage, id))
    {
      delete pImage;
      pImage = nullptr;
    }
  }
  if (!pImage) return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
  return IBitmap(pImage, pImage->getWidth(), pImage->getHeight(), nStates, framesAreHorizontal);
}

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap bitmap = LoadIBitmap(id, name, 1);
  IControl* pBackground = new IBitmapControl(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendReplace);
  ScopedPlugLock lock(mPlug);
  if (!mControls.Insert(0, pBackground)) delete pBackground;
}

void IGraphics::AttachPanelBackground(const IColor* pColor)
{
  IControl* pBackground = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), pColor);
  ScopedPlugLock lock(mPlug);
  if (!mControls.Insert(0, pBackground)) delete pBackground;
}

int IGraphics::AttachControl(IControl* pControl)
{
  if (!pControl) return -1;
  ScopedPlugLock lock(mPlug);
  if (!mControls.Add(pControl))
  {
    delete pControl;
    return -1;
  }
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* pControl)
{
  if (pControl == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = pControl;
}

void IGraphics::DeleteControls()
{
  ScopedPlugLock lock(mPlug);
  mControls.Empty(true);
}

// ---- Parameter synchronisation ----

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* pControl = mControls.Get(controlIdx)) pControl->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  if (paramIdx < 0) return;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  if (paramIdx < 0) return;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  if (paramIdx < 0) return;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (paramIdx < 0) return;
  if (!normalized)
  {
    const IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    lo = pParam->GetNormalized(lo);
    hi = pParam->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->Clamp(lo, hi);
  }
}

void IGraphics::AssignParamNameToolTips()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (const IParam* pParam = pControl->GetParam()) pControl->SetTooltip(pParam->GetNameForHost());
  }
}

// ---- Bitmaps ----

void IGraphics::RetainBitmap(IBitmap* pBitmap)
{
  s_bitmapCache.Add(pBitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* pBitmap)
{
  s_bitmapCache.Remove(pBitmap->mData);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* pSrcBitmap, int w, int h)
{
  if (!pSrcBitmap->mData || w < 1 || h < 1) return IBitmap();
  LICE_MemBitmap* pDest = new LICE_MemBitmap(w, h, 4);
  if (!pDest->getBits() || !s_bitmapCache.Add(pDest, -1))
  {
    delete pDest;
    return IBitmap();
  }
  LICE_ScaledBlit(pDest, pSrcBitmap->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(pSrcBitmap->W),
                  static_cast<float>(pSrcBitmap->H), 1.0f, LICE_BLIT_MODE_COPY | LICE_BLIT_FILTER_BILINEAR);
  return IBitmap(pDest, w, h, pSrcBitmap->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* pSrcBitmap, IRECT* pR)
{
  const int w = pR->W(), h = pR->H();
  if (!pSrcBitmap->mData || w < 1 || h < 1) return IBitmap();
  LICE_MemBitmap* pDest = new LICE_MemBitmap(w, h, 4);
  if (!pDest->getBits() || !s_bitmapCache.Add(pDest, -1))
  {
    delete pDest;
    return IBitmap();
  }
  // Parts of the rectangle outside the source stay transparent black.
  LICE_Clear(pDest, 0);
  LICE_Blit(pDest, pSrcBitmap->mData, 0, 0, pR->L, pR->T, w, h, 1.0f, LICE_BLIT_MODE_COPY);
  return IBitmap(pDest, w, h, pSrcBitmap->N, false);
}

LICE_pixel* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

LICE_IBitmap* IGraphics::GetDrawBitmap() const
{
  return mDrawBitmap;
}

IColor IGraphics::GetPoint(int x, int y)
{
  if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() || y >= mDrawBitmap->getHeight())
    return COLOR_TRANSPARENT;
  return IColor::FromPacked(LICE_GetPixel(mDrawBitmap, x, y));
}

// ---- Drawing ----

IRECT IGraphics::ClipToDrawRect(const IRECT* pR) const
{
  return pR->Intersect(&mDrawRECT);
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend)
{
  const IRECT r = ClipToDrawRect(pDest);
  if (r.W() <= 0 || r.H() <= 0) return true;
  LICE_Blit(mDrawBitmap, pBitmap->mData, r.L, r.T, srcX + r.L - pDest->L, srcY + r.T - pDest->T, r.W(), r.H(),
            BlendWeight(pBlend), BlendMode(pBlend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int state, const IChannelBlend* pBlend)
{
  int srcX = 0, srcY = 0;
  if (state >= 2 && pBitmap->N >= 2)
  {
    const double step = static_cast<double>(state - 1) / pBitmap->N;
    if (pBitmap->mFramesAreHorizontal)
      srcX = static_cast<int>(step * pBitmap->W + 0.5);
    else
      srcY = static_cast<int>(step * pBitmap->H + 0.5);
  }
  return DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* pBitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* pBlend)
{
  const int w = pBitmap->W, h = pBitmap->H;
  LICE_RotatedBlit(mDrawBitmap, pBitmap->mData, cx - w / 2, cy - h / 2, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), static_cast<float>(angle), false, BlendWeight(pBlend),
                   BlendMode(pBlend) | LICE_BLIT_FILTER_BILINEAR, 0.0f, static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                                const IChannelBlend* pBlend)
{
  if (!pBase->mData) return true;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  const int w = pBase->W, h = pBase->H;
  const float fw = static_cast<float>(w), fh = static_cast<float>(h);
  LICE_Copy(mTmpBitmap, pBase->mData);
  LICE_ClearRect(mTmpBitmap, 0, 0, w, h, 0x00FFFFFF, 0);

  const float radians = static_cast<float>(angle * kPi / 180.0);
  const float xCentreOffset = (w % 2) ? -0.5f : 0.0f;
  LICE_RotatedBlit(mTmpBitmap, pMask->mData, 0, 0, w, h, 0.0f, 0.0f, fw, fh, radians, true, 1.0f,
                   kFilteredAddWithAlpha, xCentreOffset, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, pTop->mData, 0, 0, w, h, 0.0f, 0.0f, fw, fh, radians, true, 1.0f,
                   kFilteredCopyWithAlpha, xCentreOffset, 0.0f);

  const IRECT dest(x, y, x + w, y + h);
  const IRECT r = ClipToDrawRect(&dest);
  if (r.W() <= 0 || r.H() <= 0) return true;
  LICE_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), BlendWeight(pBlend),
            BlendMode(pBlend));
  return true;
}

bool IGraphics::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend, bool)
{
  LICE_PutPixel(mDrawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), pColor->Packed(),
                BlendWeight(pBlend), BlendMode(pBlend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* pColor, int x, int y)
{
  const LICE_BitmapRows rows(mDrawBitmap);
  if (rows.usable() && x >= 0 && y >= 0 && x < rows.width && y < rows.height) *rows.at(x, y) = pColor->Packed();
  return true;
}

bool IGraphics::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend,
                         bool antiAlias)
{
  LICE_Line(mDrawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2),
            pColor->Packed(), BlendWeight(pBlend), BlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* pBlend, bool antiAlias)
{
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, pColor->Packed(), BlendWeight(pBlend), BlendMode(pBlend),
           antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend,
                           bool antiAlias)
{
  LICE_Circle(mDrawBitmap, cx, cy, r, pColor->Packed(), BlendWeight(pBlend), BlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa)
{
  LICE_RoundRect(mDrawBitmap, static_cast<float>(pR->L), static_cast<float>(pR->T), static_cast<float>(pR->W()),
                 static_cast<float>(pR->H()), cornerradius, pColor->Packed(), BlendWeight(pBlend),
                 BlendMode(pBlend), aa);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius,
                              bool aa)
{
  const LICE_pixel colour = pColor->Packed();
  const float weight = BlendWeight(pBlend);
  const int mode = BlendMode(pBlend);
  const int c = cornerradius, l = pR->L, t = pR->T, r = pR->R, b = pR->B, w = pR->W(), h = pR->H();
  LICE_FillRect(mDrawBitmap, l + c, t, w - 2 * c, h, colour, weight, mode);
  LICE_FillRect(mDrawBitmap, l, t + c, c, h - 2 * c, colour, weight, mode);
  LICE_FillRect(mDrawBitmap, r - c, t + c, c, h - 2 * c, colour, weight, mode);
  const float radius = static_cast<float>(c);
  LICE_FillCircle(mDrawBitmap, l + c, t + c, radius, colour, weight, mode, aa);
  LICE_FillCircle(mDrawBitmap, r - c - 1, b - c - 1, radius, colour, weight, mode, aa);
  LICE_FillCircle(mDrawBitmap, r - c - 1, t + c, radius, colour, weight, mode, aa);
  LICE_FillCircle(mDrawBitmap, l + c, b - c - 1, radius, colour, weight, mode, aa);
  return true;
}

bool IGraphics::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend)
{
  LICE_FillRect(mDrawBitmap, pR->L, pR->T, pR->W(), pR->H(), pColor->Packed(), BlendWeight(pBlend),
                BlendMode(pBlend));
  return true;
}

bool IGraphics::FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend,
                           bool antiAlias)
{
  LICE_FillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, pColor->Packed(),
                  BlendWeight(pBlend), BlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* pBlend)
{
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, pColor->Packed(), BlendWeight(pBlend), BlendMode(pBlend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* pColor, int* x, int* y, int nPoints, const IChannelBlend* pBlend)
{
  LICE_FillConvexPolygon(mDrawBitmap, x, y, nPoints, pColor->Packed(), BlendWeight(pBlend), BlendMode(pBlend));
  return true;
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR)
{
  OpaqueLine(mDrawBitmap, pR->L, pR->T, pR->R, pR->T, pColor);
  OpaqueLine(mDrawBitmap, pR->L, pR->B, pR->R, pR->B, pColor);
  OpaqueLine(mDrawBitmap, pR->L, pR->T, pR->L, pR->B, pColor);
  OpaqueLine(mDrawBitmap, pR->R, pR->T, pR->R, pR->B, pColor);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi)
{
  OpaqueLine(mDrawBitmap, xi, yLo, xi, yHi, pColor);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi)
{
  OpaqueLine(mDrawBitmap, xLo, yi, xHi, yi, pColor);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x)
{
  x = std::clamp(x, 0.0f, 1.0f);
  const int xi = pR->L + static_cast<int>(x * static_cast<float>(pR->W()));
  return DrawVerticalLine(pColor, xi, pR->T, pR->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y)
{
  y = std::clamp(y, 0.0f, 1.0f);
  const int yi = pR->B - static_cast<int>(y * static_cast<float>(pR->H()));
  return DrawHorizontalLine(pColor, yi, pR->L, pR->R);
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* pBlend, bool antiAlias)
{
  const float sinV = std::sin(angle), cosV = std::cos(angle);
  return DrawLine(pColor, cx + rMin * sinV, cy - rMin * cosV, cx + rMax * sinV, cy - rMax * cosV, pBlend, antiAlias);
}

// ---- Redraw ----

bool IGraphics::IsDirty(IRECT* pR)
{
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (!pControl->IsDirty()) continue;
    *pR = pR->Union(pControl->GetRECT());
    dirty = true;
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* pR)
{
  const int n = mControls.GetSize();
  if (!n) return true;

  if (mStrict)
  {
    mDrawRECT = *pR;
    for (int i = 0; i < n; ++i)
    {
      IControl* pControl = mControls.Get(i);
      if (!pControl->IsHidden() && pR->Intersects(pControl->GetRECT())) pControl->Draw(this);
      pControl->SetClean();
    }
  }
  else if (IControl* pBackground = mControls.Get(0); pBackground->IsDirty())
  {
    mDrawRECT = *pBackground->GetRECT();
    for (int j = 0; j < n; ++j)
    {
      IControl* pControl = mControls.Get(j);
      if (j && pControl->IsHidden()) continue;
      pControl->Draw(this);
      pControl->SetClean();
    }
  }
  else
  {
    for (int i = 1; i < n; ++i)
    {
      IControl* pDirty = mControls.Get(i);
      if (!pDirty->IsDirty()) continue;
      mDrawRECT = *pDirty->GetRECT();
      for (int j = 0; j < n; ++j)
      {
        IControl* pControl = mControls.Get(j);
        if (pControl->IsHidden()) continue;
        if (j == i || mDrawRECT.Intersects(pControl->GetRECT())) pControl->Draw(this);
      }
      pDirty->SetClean();
    }
  }
  return DrawScreen(pR);
}

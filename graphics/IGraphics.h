#pragma once

#include "containers/WDL_PtrList.h"
#include "containers/WDL_String.h"
#include "graphics/IGraphicsStructs.h"

class IControl;
class IParam;
class IPlugBase;
class IPopupMenu;
class LICE_CachedFont;
class LICE_MemBitmap;
class LICE_SysBitmap;

// The editor of a plug-in: its ordered list of controls (index 0 is the background, drawn first),
// an off-screen 32-bit draw bitmap of the editor's size and a scratch bitmap, a drawing API over
// the rasteriser, the parameter synchronisation between plug-in and controls, the dirty-rectangle
// redraw and the routing of mouse and key events to controls.
//
// Everything that needs a window, a native menu or text field, a dialog or the screen is a
// virtual operation that a platform host overrides (pure virtual here). The plug-in the editor
// is attached to owns and deletes it.
//
// Threads: the editor lives on the user-interface thread, except SetParameterFromPlug, which the
// plug-in calls on whatever thread changes a parameter (always under the plug-in's lock). It only
// stores values and raises dirty flags, which are atomic in the controls, and no lock is held while
// drawing. The control list changes (AttachControl, AttachBackground, Resize) under the plug-in's
// lock, so a parameter change never walks a list being rebuilt. Hide, grey and clamp controls on
// the user-interface thread.
class IGraphics
{
public:
  // An editor of width x height pixels redrawn refreshFPS times per second (25 when refreshFPS <= 0),
  // with no controls and no bitmaps yet (see PrepDraw).
  IGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS = 0);

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Virtual operations, in slot order. "Host:" marks those a platform host supplies. ----

  // Host: shows the draw bitmap on screen; pR is the area just redrawn. False when there is no view.
  virtual bool DrawScreen(IRECT* pR) = 0;
  // Measures text in the style into pR (DrawIText in measure mode). False when no font can be had.
  virtual bool MeasureIText(IText* pTxt, const char* str, IRECT* pR);
  // Host: ends a text entry in progress.
  virtual void ForceEndUserEdit() = 0;
  // Changes the editor's size: releases the mouse capture, deletes every control and both bitmaps,
  // makes new bitmaps and tells the plug-in (ResizeGraphics). The caller attaches controls again.
  // The same size as now changes nothing, so the controls survive.
  virtual void Resize(int w, int h);
  // True while a view is open (GetWindow() is not null).
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  // Name of the platform's user-interface API; "" here.
  virtual const char* GetGUIAPI() { return ""; }
  // Host: modal message box; type 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No, others OK. Returns 1 for
  // the default button, 7 for the alternate (No), 2 for the other (Cancel), 0 otherwise.
  virtual int ShowMessageBox(const char* pText, const char* pCaption, int type) = 0;
  // Host: shows pMenu at pTextRect and waits for a choice. Returns the menu holding the chosen item,
  // its chosen index set, or null when nothing was chosen. Releases the mouse capture first.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect) = 0;
  // Host: opens a text field over pTextRect showing pString in the style pText. When it closes with
  // text, SetFromStringAfterPrompt(pControl, pParam, text) is called for a parameter, else the
  // control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* pString,
                               IParam* pParam) = 0;
  // Host: the module file, its folder (with a trailing "/"), and the user's desktop folder.
  virtual void HostPath(WDL_String* pPath) = 0;
  virtual void PluginPath(WDL_String* pPath) = 0;
  virtual void DesktopPath(WDL_String* pPath) = 0;
  // Host: the folder for application data, the system-wide one when isSystem; and one a sandboxed
  // host allows (the home folder's "Music").
  virtual void AppSupportPath(WDL_String* pPath, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(WDL_String* pPath) = 0;
  // Host: asks for a file to open or save, starting in *pDir (the desktop when empty) among the
  // blank-separated extensions. On a choice pFilename is the path and pDir its folder with a
  // trailing "/"; otherwise pFilename is empty.
  virtual void PromptForFile(WDL_String* pFilename, EFileAction action = kFileOpen, WDL_String* pDir = nullptr,
                             const char* extensions = "") = 0;
  // Host: asks for a colour. True when one was chosen (written to pColor).
  virtual bool PromptForColor(IColor* pColor, const char* prompt = "") = 0;
  // Host: opens a web address (or a file path) in the user's browser. True when it was opened.
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsgOnFailure = nullptr) = 0;
  // Host: opens the editor view inside the host's window pParentWnd. Returns the view, or null.
  virtual void* OpenWindow(void* pParentWnd) = 0;
  // Opening inside a host control with offsets is not supported: returns null.
  virtual void* OpenWindow(void* pParentWnd, void* pParentControl, short leftOffset, short topOffset);
  // Hosts that hand over a window rather than a view. Nothing here.
  virtual void AttachSubWindow(void* hostWindowRef);
  virtual void RemoveSubWindow();
  // Host: closes the view; the editor, its controls and values live on.
  virtual void CloseWindow() = 0;
  // Host: the open view, or null.
  virtual void* GetWindow() = 0;
  // Host: the clipboard's text. False (and pStr empty) when it holds none.
  virtual bool GetTextFromClipboard(WDL_String* pStr) = 0;
  // Deletes the key catcher, the controls (last first) and both bitmaps. Cached images stay.
  virtual ~IGraphics();
  // Hides / shows the mouse pointer while a control is dragged. Nothing here.
  virtual void HideMouseCursor();
  virtual void ShowMouseCursor();
  // Host: registers the tooltip areas of the visible controls (when tooltips are enabled).
  virtual void UpdateTooltips() = 0;
  // Host: decodes the image called name (a ".png" resource). Returns a new bitmap, or null.
  virtual LICE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // Moves every control bound to paramIdx (and every auxiliary binding to it) to value, normalised
  // or, when normalized is false, plain. Callable on any thread that holds the plug-in's lock.
  // Virtual so that the plug-in base reaches its editor without linking the editor framework.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Creates the draw bitmap (width x height) and an empty scratch bitmap, replacing existing ones.
  // Called by the plug-in when the editor is attached.
  virtual void PrepDraw();
  // Host: the host's regular idle call while the view is open (the module has no timer thread of its
  // own): handles the platform's pending events and runs the redraw timer when a tick is due.
  // Returns whether a view is still open afterwards. Base: nothing, and false.
  virtual bool Idle();
  // Draws every visible control at its current value into the draw bitmap and copies the editor
  // into pDest: width x height pixels (alpha, red, green, blue from the top byte down), rows top
  // to bottom, no padding. Nothing reaches the screen and no control is marked clean, so an open
  // view still shows what it has to. False, with pDest untouched, when pDest is null, the size is
  // not the editor's, or there is no draw bitmap yet. Virtual so that the plug-in wrapper reaches
  // it without linking the editor framework.
  virtual bool DrawSnapshot(LICE_pixel* pDest, int width, int height);

  // ---- Size, plug-in and settings ----

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // Redraws per second.
  int FPS() const { return mFPS; }
  IPlugBase* GetPlug() const { return mPlug; }
  // Hover events reach controls only when enabled (off by default).
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  // Strict drawing redraws everything under the painted area (the default); non-strict redraws
  // dirty controls one by one. Either way every control is marked dirty.
  void SetStrictDrawing(bool strict);
  bool IsStrictDrawing() const { return mStrict; }

  // ---- Controls ----

  // Loads image id (decoded once per process; a later request with the same id returns the first
  // image whatever the name) as a handle of nStates frames. An image that cannot be loaded gives a
  // handle with null data and zero size, which draws nothing. A negative id is never looked up.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  // Inserts at index 0 a bitmap control of image id drawn with kBlendReplace, no parameter.
  void AttachBackground(int id, const char* name);
  // Inserts at index 0 a panel filling the editor with pColor, no parameter.
  void AttachPanelBackground(const IColor* pColor);
  // Appends pControl (the editor owns it from now on) and returns its index; -1, with the control
  // deleted, when the list cannot grow or pControl is null.
  int AttachControl(IControl* pControl);
  // The control that receives keys no control takes (owned; replaces and deletes an earlier one).
  void AttachKeyCatcher(IControl* pControl);
  // Control idx, or null outside the list.
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }

  // ---- Parameter synchronisation (an index outside the list is ignored everywhere) ----

  // Control controlIdx follows normalizedValue without sending it back.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  // Every control bound to paramIdx takes normalizedValue as user input (pushed to the plug-in).
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Marks every control dirty.
  void SetAllControlsDirty();
  // Hides / greys every control bound to paramIdx.
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  // Limits every control bound to paramIdx to [lo, hi] (plain values converted when not normalized).
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // Every control with a parameter gets the parameter's name as its tooltip.
  void AssignParamNameToolTips();

  // ---- Bitmaps ----

  // Adds another cache entry for the image, so that one ReleaseBitmap leaves it alive.
  void RetainBitmap(IBitmap* pBitmap);
  // Removes one cache entry of the image; deletes the image when no entry holds it any more.
  // An image the cache does not hold is left alone.
  void ReleaseBitmap(IBitmap* pBitmap);
  // A new cached image of w x h pixels, the whole source scaled bilinearly; same frame count,
  // frames stacked vertically. An empty handle for a bitmap without data or a size below 1.
  IBitmap ScaleBitmap(IBitmap* pSrcBitmap, int w, int h);
  // A new cached image copied from the rectangle of the source; same frame count, frames stacked
  // vertically. An empty handle for a bitmap without data or an empty-sized rectangle.
  IBitmap CropBitmap(IBitmap* pSrcBitmap, IRECT* pR);
  // The draw bitmap's pixels (null before PrepDraw), and the bitmap itself.
  LICE_pixel* GetBits();
  LICE_IBitmap* GetDrawBitmap() const;
  // The colour of the draw bitmap's pixel (x, y); transparent black outside it.
  IColor GetPoint(int x, int y);

  // ---- Drawing into the draw bitmap. Each returns true. Only DrawBitmap and DrawRotatedMask clip
  // to the draw rectangle of the redraw in progress; the rest draw wherever they are told (and
  // never outside the bitmap). A null blend means kBlendDefault at weight 1. ----

  // Copies the part of pBitmap starting at (srcX, srcY) into pDest, clipped to the draw rectangle.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend = nullptr);
  // Draws frame number state (1-based; 1 and below, or a one-frame image, give the first frame).
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int state, const IChannelBlend* pBlend = nullptr);
  // Draws the whole image centred on (cx, cy), rotated by angle radians (filtered) about a centre
  // shifted down by yOffsetZeroDeg pixels.
  bool DrawRotatedBitmap(IBitmap* pBitmap, int cx, int cy, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* pBlend = nullptr);
  // Composes base, mask (rotated, added) and top (rotated) in the scratch bitmap, then copies the
  // result to (x, y), clipped to the draw rectangle. angle is in degrees.
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                       const IChannelBlend* pBlend = nullptr);
  // One pixel at (x, y) rounded to the nearest pixel; antiAlias has no effect.
  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr,
                 bool antiAlias = false);
  // Stores the colour into pixel (x, y) without blending; nothing outside the bitmap.
  bool ForcePixel(const IColor* pColor, int x, int y);
  // Line between the truncated end points.
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend = nullptr,
                bool antiAlias = false);
  // Arc of radius r around (cx, cy) from minAngle to maxAngle (radians, 0 up, clockwise).
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  // Outline of pR with rounded corners of cornerradius pixels.
  bool RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa);
  // pR filled, with rounded corners of cornerradius pixels.
  bool FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa);
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr);
  bool FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* pBlend = nullptr);
  // The convex polygon of nPoints points (x[i], y[i]).
  bool FillIConvexPolygon(const IColor* pColor, int* x, int* y, int nPoints, const IChannelBlend* pBlend = nullptr);
  // The four edges of pR, right and bottom edges on the columns R and B, opaque.
  bool DrawRect(const IColor* pColor, IRECT* pR);
  // Opaque lines between the given end points, both included.
  bool DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi);
  // The line at fraction x (0..1, clamped) across pR, from top to bottom.
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  // The line at fraction y (0..1, clamped) up pR: 0 is the bottom row B, 1 the top row.
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  // The line from radius rMin to rMax along angle (radians, 0 up, clockwise) from (cx, cy).
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);

  // ---- Text ----

  // The style's font from the module-wide font cache (creating and caching it on first use);
  // also stored in the style. Null when the platform can make no font.
  LICE_CachedFont* CacheFont(IText* pTxt);
  // Draws str in pR in the style, aligned horizontally as the style says, not clipped. With
  // measure, draws nothing and sets pR to the text's extent instead (aligned as for drawing; a
  // near-aligned measure sets R to the width). An empty or null text draws nothing and reports
  // true; false when no font can be had.
  bool DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure = false);

  // ---- Redraw ----

  // Unites the rectangles of all dirty controls into *pR. True when any control is dirty.
  bool IsDirty(IRECT* pR);
  // Redraws what the dirty state asks for within pR, then DrawScreen(pR) and returns its result.
  // With no controls returns true at once.
  bool Draw(IRECT* pR);
  // The clip rectangle of the redraw in progress.
  const IRECT& GetDrawRect() const { return mDrawRECT; }

  // ---- Input (user-interface thread; coordinates are editor pixels) ----

  // A press: capture the control under the point, tell the host a gesture begins on its
  // parameter, and hand it the press.
  void OnMouseDown(int x, int y, IMouseMod* pMod);
  // A release: the captured control (or the one under the point) gets it, then the host hears the
  // gesture end.
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  // A move with a button held: the captured control gets the move relative to the last one.
  // Repeated positions are dropped. Returns nothing; without capture nothing happens.
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  // A double click: the control's double click, or a press for controls that take it as one.
  void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  // d whole notches of the wheel over the point.
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  // The pointer moved without a button. Returns whether hover handling is on.
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  // The pointer left the editor: every control hears it; nothing is under the mouse any more.
  void OnMouseOut();
  // A key (EKeyCode) at (x, y). True when a control or the key catcher took it.
  bool OnKeyDown(int x, int y, int key);
  // The index of the control that gets an event at (x, y): the captured one, else the topmost
  // visible, enabled control hit (in mouseOver mode, greyed controls flagged for hover count).
  // -1 when none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  // Nobody holds the mouse any more.
  void ReleaseMouseCapture();
  // The index of the control holding the mouse, or -1.
  int GetMouseCapture() const { return mMouseCapture; }
  // The index of the control under the mouse as last hovered, or -1.
  int GetMouseOver() const { return mMouseOver; }
  // The position of the last press, drag or hover.
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  // The parameter of the control at (x, y) (-1 for none or the background); remembered.
  int GetParamIdxForPTAutomation(int x, int y);
  // The parameter remembered by the last call above, then -1 until the next.
  int GetLastClickedParamForPTAutomation();
  // Asks the user for pParam's value: a menu of its display texts (current one checked) for
  // enumerated and boolean parameters, else a text field. Nothing when any of the three is null.
  void PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect);
  // Applies text typed for pParam: a display text for enumerated and boolean parameters (0 when
  // none matches), else the leading decimal number (0 when none; sign flipped for negated display).
  void SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt);
  // Every control's OnGUIIdle, in order.
  void OnGUIIdle();

protected:
  // The rectangle covered by pR within the draw bitmap, as a clip for blits.
  IRECT ClipToDrawRect(const IRECT* pR) const;
  // Deletes every control, the last first (under the plug-in's lock).
  void DeleteControls();
  // Tells the host a user gesture begins on paramIdx (the press gesture, ended by the release),
  // unless the plug-in has no such parameter. Callers end an open one first.
  void BeginParamGesture(int paramIdx);
  // Tells the host the press gesture ends; nothing when none is open.
  void EndParamGesture();
  // A gesture on one control's parameter for the length of one event, unless the press gesture is
  // on that parameter already.
  class ScopedGesture;

  WDL_PtrList<IControl> mControls;
  IPlugBase* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1, mHiddenMousePointY = -1;
  LICE_SysBitmap* mDrawBitmap = nullptr;
  LICE_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight, mFPS;
  int mMouseCapture = -1, mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;
  // The parameter of the press gesture the host was told about and not yet told the end of, or -1.
  int mGestureParam = -1;
};

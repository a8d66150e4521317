#pragma once

#include <functional>
#include <memory>
#include <string>

#include "graphics/IGraphicsStructs.h"
#include "platform/x11/XViewContext.h"

class IControl;
class IGraphics;
class IParam;
class LICE_CachedFont;
class LICE_SysBitmap;
class XImageWriter;

// What may be typed into a text field: every character from a set (when one is set) and at most
// a number of characters (when non-zero). An edit whose result it refuses is not made.
class X11Formatter_vKestrune_vst
{
public:
  // Accepts everything.
  X11Formatter_vKestrune_vst() = default;
  // The formatter of a field for pParam: digits and signs ("0123456789-+") for boolean, integer
  // and enumerated parameters, with the decimal point as well for doubles; at most maxLength
  // characters (0: no limit).
  static X11Formatter_vKestrune_vst ForParam(const IParam* pParam, int maxLength);

  // True when utf8 is an acceptable content of the field.
  bool Accepts(const std::string& utf8) const;

private:
  std::string mCharacters; // empty: any character
  int mMaxLength = 0;
};

// The one-line text field of the editor: a child window of the view over the control's rectangle,
// drawn with the style's font (at nine tenths of its size) and text-entry colours, with a caret and
// a selection (all text selected at first). Keys: characters the formatter accepts, BackSpace,
// Delete, Left and Right (with Shift: selecting), Home, End, Control+A (all), Control+V (the
// clipboard), Enter (apply), Escape (cancel). The mouse places the caret and drags a selection; a
// double click selects all; a wheel turn ends the field without applying it.
class IGraphicsX11TextEntry_vKestrune_vst
{
public:
  enum EOutcome
  {
    kEditing,
    kApply,
    kCancel
  };
  // Reads the clipboard's text (false when there is none).
  using ClipboardReader = std::function<bool(std::string*)>;

  // A field over r (editor coordinates) in the view, showing text, for pControl and pParam (null
  // for free text); shown and given the keyboard focus at once.
  IGraphicsX11TextEntry_vKestrune_vst(const XViewContext& context, IGraphics* pGraphics, IControl* pControl,
                                      IParam* pParam, const IText& style, IRECT r, const char* text);
  // Destroys the window.
  ~IGraphicsX11TextEntry_vKestrune_vst();

  IGraphicsX11TextEntry_vKestrune_vst(const IGraphicsX11TextEntry_vKestrune_vst&) = delete;
  IGraphicsX11TextEntry_vKestrune_vst& operator=(const IGraphicsX11TextEntry_vKestrune_vst&) = delete;

  Window GetWindow() const { return mWindow; }
  IControl* GetControl() const { return mControl; }
  IParam* GetParam() const { return mParam; }
  const IRECT& GetRect() const { return mRect; }
  // The text as it stands (UTF-8).
  const std::string& GetText() const { return mText; }

  // Handles an event of the field's window, or a key the view passes on. Returns whether the
  // field goes on, is to be applied or is to be cancelled.
  EOutcome HandleEvent(const XEvent& event, const ClipboardReader& readClipboard);

private:
  void Paint();
  // Replaces the selection with utf8, when the formatter accepts the result.
  void Insert(const std::string& utf8);
  void DeleteSelectionOr(int direction);
  void MoveCaret(size_t position, bool extend);
  // The byte offset of the character boundary nearest to x (window coordinates).
  size_t PositionAt(int x);
  int TextWidth(size_t bytes);
  int TextOrigin();
  EOutcome HandleKey(const XKeyEvent& key, const ClipboardReader& readClipboard);

  XViewContext mContext;
  IControl* mControl;
  IParam* mParam;
  IRECT mRect;
  IText mStyle;
  LICE_CachedFont* mFont = nullptr;
  X11Formatter_vKestrune_vst mFormatter;
  Window mWindow = 0;
  GC mGC = nullptr;
  std::unique_ptr<LICE_SysBitmap> mPixels;
  std::unique_ptr<XImageWriter> mWriter;

  std::string mText;
  size_t mCaret = 0, mAnchor = 0; // byte offsets; the selection lies between them
  int mScroll = 0;
  bool mHadFocus = false;
  Time mLastClick = 0;
};

#pragma once

#include "containers/WDL_String.h"
#include "graphics/IControl.h"

// Text on the editor in a text style: a fixed or plug-in-driven string, and the caption that
// shows a parameter's value.

// A string drawn in the rectangle in the control's text style (aligned as the style says, not
// clipped). Its text can be replaced by the plug-in or by another control that uses it as its
// value or name display. The text lives on the user-interface thread.
class ITextControl : public IControl
{
public:
  // A copy of the style *pText (the control default for null) and of str (null counts as "").
  ITextControl(IPlugBase* pPlug, IRECT pR, const IText* pText, const char* str = "");

  // DrawIText of the text; an empty text draws nothing. False when no font can be had.
  bool Draw(IGraphics* pGraphics) override;
  // A text that differs from the current one (null counts as "") is stored and drawn.
  void SetTextFromPlug(const char* str) override;

  // The text shown.
  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  WDL_String mStr;
};

// The bound parameter's display text for its current value (a display text where the parameter
// has one for it), followed with showParamLabel by a blank and the parameter's unit label. A
// click (either button) or a double click prompts for the value: a menu of display texts or a
// text field (prompts are enabled).
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IText* pText, bool showParamLabel = true);

  // Prompts for the value.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  // Takes the parameter's text now (nothing without a parameter), then draws it.
  bool Draw(IGraphics* pGraphics) override;

protected:
  bool mShowParamLabel;
};

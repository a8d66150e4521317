#pragma once

class IPlugBase;

// The editor of a plug-in, as the plug-in base and the host wrapper see it: it is attached once,
// follows parameter values pushed from the plug-in, and opens and closes its window in a host
// window. The plug-in that it is attached to owns and deletes it.
class IGraphics
{
public:
  // An editor of width x height pixels redrawn refreshFPS times per second (25 when refreshFPS <= 0).
  IGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS = 0)
    : mPlug(pPlug), mWidth(width), mHeight(height), mFPS(refreshFPS > 0 ? refreshFPS : 25)
  {
  }
  virtual ~IGraphics() = default;

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // Moves every control bound to paramIdx to value (normalised, or plain when normalized is false).
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Creates the drawing surfaces; called once the editor is attached to its plug-in.
  virtual void PrepDraw() = 0;
  // Opens the editor view inside the host's window pParent. Returns the view, or null on failure.
  virtual void* OpenWindow(void* pParent) = 0;
  // Closes the view; the editor and its controls live on.
  virtual void CloseWindow() = 0;
  // The open view, or null.
  virtual void* GetWindow() = 0;

  // Size in pixels, redraw rate per second and the plug-in it belongs to, as constructed.
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  IPlugBase* GetPlug() const { return mPlug; }

protected:
  IPlugBase* mPlug;
  int mWidth, mHeight, mFPS;
};

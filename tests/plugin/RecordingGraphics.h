#pragma once

#include <vector>

#include "platform/headless/IGraphicsHeadless.h"

// An editor that records what the plug-in pushes into it.
class RecordingGraphics : public IGraphicsHeadless
{
public:
  RecordingGraphics(IPlugBase* pPlug, bool* pDeleted = nullptr) : IGraphicsHeadless(pPlug, 300, 200), mDeleted(pDeleted) {}
  ~RecordingGraphics() override
  {
    if (mDeleted) *mDeleted = true;
  }

  struct Push
  {
    int paramIdx;
    double value;
    bool normalized;
  };

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    pushes.push_back({paramIdx, value, normalized});
    IGraphicsHeadless::SetParameterFromPlug(paramIdx, value, normalized);
  }
  void PrepDraw() override
  {
    prepDrawAfterPushes = static_cast<int>(pushes.size());
    IGraphicsHeadless::PrepDraw();
  }

  std::vector<Push> pushes;
  int prepDrawAfterPushes = -1;

private:
  bool* mDeleted;
};

#include "lv2/IPlugLV2UI.h"

#include "graphics/IGraphics.h"
#include "platform/x11/IGraphicsX11.h"

#include <cstring>
#include <new>

namespace {

IPlugLV2UI* UI(LV2UI_Handle ui)
{
  return static_cast<IPlugLV2UI*>(ui);
}

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (; features && *features; ++features)
  {
    if ((*features)->URI && !strcmp((*features)->URI, uri)) return (*features)->data;
  }
  return nullptr;
}

const LV2UI_Idle_Interface kIdleInterface = {IPlugLV2UI::Idle};

// The editor gets no audio: any rate will do for its object.
constexpr double kEditorSampleRate = 48000.0;

} // namespace

IPlugLV2UI::IPlugLV2UI(LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                       const LV2_Feature* const* features)
  : mWriteFunction(writeFunction)
  , mController(controller)
  , mTouch(static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch)))
  , mResize(static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize)))
{
}

IPlugLV2UI::~IPlugLV2UI()
{
  if (mPlug && mPlug->GetGUI()) mPlug->GetGUI()->CloseWindow();
}

IPlugLV2UI* IPlugLV2UI::Create(const IPlugLV2Description& description,
                               IPlugLV2* (*factory)(const IPlugInstanceInfo&),
                               LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                               LV2UI_Widget* pWidget, const LV2_Feature* const* features)
{
  // The parent's data is the X window id itself; 0 names no window.
  void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
  if (!writeFunction || !pWidget || !parent || !description.makeEditor) return nullptr;

  std::unique_ptr<IPlugLV2UI> ui(new (std::nothrow) IPlugLV2UI(writeFunction, controller, features));
  if (!ui) return nullptr;
  IPlugInstanceInfo instanceInfo;
  instanceInfo.mDescription = &description;
  instanceInfo.mSampleRate = kEditorSampleRate;
  instanceInfo.mFeatures = features;
  instanceInfo.mUI = ui.get();
  ui->mPlug.reset(factory(instanceInfo));
  if (!ui->mPlug || !ui->mPlug->FinishInstantiation()) return nullptr;
  ui->mHeld.assign(static_cast<size_t>(ui->mPlug->NParams()), false);
  ui->mPlug->AttachGraphics(description.makeEditor(ui->mPlug.get()));

  IGraphicsX11* pGraphics = dynamic_cast<IGraphicsX11*>(ui->mPlug->GetGUI());
  if (!pGraphics || !pGraphics->OpenWindow(parent)) return nullptr;
  *pWidget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(pGraphics->GetViewWindowId()));
  ui->RequestSize(pGraphics->Width(), pGraphics->Height());
  return ui.release();
}

// ---- From the effect's object ----

void IPlugLV2UI::WritePort(int paramIdx, float portValue)
{
  mWriteFunction(mController, static_cast<uint32_t>(paramIdx), sizeof(float), 0, &portValue);
}

void IPlugLV2UI::Touch(int paramIdx, bool grabbed)
{
  if (paramIdx < 0 || static_cast<size_t>(paramIdx) >= mHeld.size()) return;
  mHeld[static_cast<size_t>(paramIdx)] = grabbed;
  if (mTouch && mTouch->touch) mTouch->touch(mTouch->handle, static_cast<uint32_t>(paramIdx), grabbed);
}

void IPlugLV2UI::RequestSize(int width, int height)
{
  if (mResize && mResize->ui_resize) mResize->ui_resize(mResize->handle, width, height);
}

// ---- LV2 UI callbacks ----

void IPlugLV2UI::Cleanup(LV2UI_Handle ui)
{
  delete UI(ui);
}

void IPlugLV2UI::PortEvent(LV2UI_Handle ui, uint32_t portIndex, uint32_t bufferSize, uint32_t format,
                           const void* buffer)
{
  IPlugLV2UI* _this = UI(ui);
  if (!_this || format != 0 || bufferSize != sizeof(float) || !buffer) return;
  if (portIndex >= _this->mHeld.size() || _this->mHeld[portIndex]) return;
  float portValue;
  memcpy(&portValue, buffer, sizeof(float));
  _this->mPlug->SetParameterFromPort(static_cast<int>(portIndex), portValue);
}

const void* IPlugLV2UI::ExtensionData(const char* uri)
{
  return uri && !strcmp(uri, LV2_UI__idleInterface) ? &kIdleInterface : nullptr;
}

int IPlugLV2UI::Idle(LV2UI_Handle ui)
{
  IPlugLV2UI* _this = UI(ui);
  if (!_this) return 1;
  IGraphics* pGraphics = _this->mPlug->GetGUI();
  return pGraphics && pGraphics->Idle() ? 0 : 1;
}

#pragma once

#include "containers/WDL_String.h"
#include "containers/WDL_TypedBuf.h"
#include "plugin/IPlugBase.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <cstdint>

class IGraphics;
class IPlugLV2UI;

// How one parameter appears to LV2 hosts as a control port, beyond what its IParam says (range,
// default, step, type, label and display texts come from the parameter itself).
struct IPlugLV2Port
{
  enum ERole
  {
    // The port carries the parameter's plain value.
    kPlain,
    // A stepped parameter whose positions have names (positionNames): hosts offer a list.
    kEnumeration,
    // A bypass parameter published as the host's enable switch (lv2:enabled): the port reads 1
    // while the effect plays (parameter at its minimum) and 0 while it is bypassed (maximum).
    kEnabled,
    // Stored and automatable but without effect on the sound: hosts keep it off generic editors.
    kInert
  };

  // lv2:symbol, a C identifier unique among the plug-in's ports.
  const char* symbol;
  // lv2:name; null or "" for the parameter's own name (the symbol when that is empty too).
  const char* name;
  ERole role;
  // kEnumeration: the names of the positions min, min + step, ..., ending with a null entry.
  const char* const* positionNames;
  // rdfs:comment shown by hosts, or null.
  const char* comment;
};

// What an effect publishes to LV2 hosts beyond its parameter list. Lives as long as the module.
struct IPlugLV2Description
{
  // The plug-in's URI; the state property and the presets have URIs beneath it.
  const char* uri;
  // The LV2 plug-in class besides lv2:Plugin (for example LV2_CORE__EQPlugin), or null.
  const char* pluginClass;
  // One entry per parameter, in parameter order.
  const IPlugLV2Port* ports;
  // The plug-in's editor (an X11 UI, see IPlugLV2UI): its URI, and the factory that builds it for
  // the effect's object pPlug (the caller attaches it; null when it cannot be built). Both, or
  // null for a plug-in that publishes no editor.
  const char* uiURI = nullptr;
  IGraphics* (*makeEditor)(IPlugBase* pPlug) = nullptr;
};

// What the module's instantiate hands to the effect's constructor.
struct IPlugInstanceInfo
{
  const IPlugLV2Description* mDescription = nullptr;
  double mSampleRate = 44100.0;
  // The host's features, terminated by a null entry (may be null itself).
  const LV2_Feature* const* mFeatures = nullptr;
  // Set when the object is made for an editor: the editor's parameter changes go to the host's
  // control ports through this UI. Null for the instance that processes audio.
  IPlugLV2UI* mUI = nullptr;
};

// The LV2 face of a plug-in: connects the plug-in base to an LV2 host's instantiate, connect_port,
// activate, run, deactivate, cleanup and state calls. Effects derive from it.
//
// Ports: one control input per parameter first (port i is parameter i), then the audio inputs,
// then the audio outputs. Control ports carry plain values; run applies a port's value only when
// it differs from the one seen at the previous run, held to the parameter's range (not-a-number:
// the default) and rounded to the step of stepped parameters, and calls OnParamChange only when
// that moves the parameter as seen in single precision: state restored in full precision stays so
// when the host echoes it into the ports. Every run holds the instance lock and processes through
// the double-precision scratch buffers in pieces of at most the block size, so any frame count
// works.
//
// State: one property, <uri>#state, holding the same chunk as a VST 2 program chunk (version
// header and SerializeState). A property that is missing, of another type or not completely
// readable changes nothing. The state calls need the host's urid:map; without it they fail cleanly.
//
// Editor: LV2 hosts may run the editor apart from the instance (another thread, another process),
// so the editor belongs to a second object of the effect, made for an IPlugLV2UI, which builds it
// with the description's factory and talks to the host only through control ports. The instance
// that processes audio builds no editor.
class IPlugLV2 : public IPlugBase
{
public:
  // Builds the plug-in base (API LV2) at the host's sample rate, connects every channel and sizes
  // the scratch buffers for 1024 frames. plugScChans (side-chain channels) is accepted and not used.
  IPlugLV2(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
           const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
           int uniqueID, int mfrID, int latency = 0, bool plugDoesMidi = false,
           bool plugDoesChunks = false, bool plugIsInst = false, int plugScChans = 0);
  ~IPlugLV2() override;

  // Called by the module's instantiate once the effect's constructor has run: fills the preset
  // slots left empty and takes the parameters' values as the control ports' values so far, so a
  // host that leaves a port at its published default does not override restored state. False when
  // memory ran out while the instance was built (it must then be deleted).
  bool FinishInstantiation();

  // What the effect publishes beyond its parameters.
  const IPlugLV2Description& Description() const { return *mDescription; }
  // True when the description publishes an editor.
  bool HasEditor() const { return mDescription->uiURI && mDescription->makeEditor; }
  // The state property's URI: the plug-in URI followed by "#state".
  const char* StateURI() const { return mStateURI.Get(); }

  // ---- Ports ----

  int NPorts() const { return NParams() + NInChannels() + NOutChannels(); }
  int AudioInputPort(int channel) const { return NParams() + channel; }
  int AudioOutputPort(int channel) const { return NParams() + NInChannels() + channel; }
  // The plain value a control port value stands for; paramIdx must name a parameter.
  double PortToPlain(int paramIdx, float portValue) const;
  // The control port value that stands for a plain value (the inverse of PortToPlain).
  float PlainToPort(int paramIdx, double plain) const;
  // Takes a control port's value for its parameter (see the class comment for the rule), calling
  // OnParamChange and moving the editor's controls when that changes the parameter. Returns
  // whether it did.
  bool SetParameterFromPort(int paramIdx, float portValue);

  // ---- State ----

  // Replaces *pChunk by the state as hosts store it. False when memory runs out.
  bool GetStateChunk(ByteChunk* pChunk);
  // Restores a chunk made by GetStateChunk, then tells the editor. False, with nothing changed,
  // for bytes without the version header or that cannot be read completely.
  bool SetStateChunk(const void* data, size_t size);

  // ---- Host services ----
  // The host owns the control ports: an editor's object tells its UI, which writes them through
  // the host and brackets gestures with the host's touch; the instance that processes audio has
  // no path to its own input ports, and these change nothing there. No transport reaches the
  // plug-in.

  void BeginInformHostOfParamChange(int paramIdx) override;
  // Writes the parameter's plain value (as a port value) to its control port.
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override {}
  // 0: no transport information.
  int GetSamplePos() override { return 0; }
  // 0: no tempo.
  double GetTempo() override { return 0.0; }
  // 0/0: no time signature.
  void GetTimeSig(int* pNumerator, int* pDenominator) override;
  // Leaves *pTimeInfo untouched.
  void GetTime(ITimeInfo*) override {}
  // Asks the host to resize the editor's widget (an editor's object), then OnWindowResize.
  void ResizeGraphics(int width, int height) override;
  // No MIDI output port: false.
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  // ---- LV2 callbacks (host to plug-in), each for the instance handle it is given ----

  // Remembers where port's data lives; a port number out of range is ignored.
  static void ConnectPort(LV2_Handle instance, uint32_t port, void* data);
  // OnActivate(true).
  static void Activate(LV2_Handle instance);
  // Applies changed control ports, then processes nFrames frames; a block whose audio ports are
  // not all connected is skipped.
  static void Run(LV2_Handle instance, uint32_t nFrames);
  // OnActivate(false), then Reset.
  static void Deactivate(LV2_Handle instance);
  // Deletes the instance.
  static void Cleanup(LV2_Handle instance);
  // The state interface for LV2_STATE__interface; null for anything else.
  static const void* ExtensionData(const char* uri);
  // The state interface's save and restore.
  static LV2_State_Status SaveState(LV2_Handle instance, LV2_State_Store_Function store,
                                    LV2_State_Handle handle, uint32_t flags,
                                    const LV2_Feature* const* features);
  static LV2_State_Status RestoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                       LV2_State_Handle handle, uint32_t flags,
                                       const LV2_Feature* const* features);

private:
  void ApplyControlPorts();
  bool AudioPortsConnected() const;
  void ProcessPiecewise(uint32_t nFrames);

  const IPlugLV2Description* mDescription;
  IPlugLV2UI* mUI;
  WDL_String mStateURI;
  LV2_URID_Map* mMap = nullptr;
  LV2_URID mStateKey = 0;
  LV2_URID mChunkType = 0;
  bool mPortListsMade = false;

  // Per parameter: the connected control port and the value it held at the last run.
  WDL_TypedBuf<const float*> mControlPorts;
  WDL_TypedBuf<float> mLastPortValues;
  // Per channel: the connected audio port, and the pointers of the piece being processed.
  WDL_TypedBuf<float*> mInputPorts, mOutputPorts;
  WDL_TypedBuf<float*> mInputPiece, mOutputPiece;
};

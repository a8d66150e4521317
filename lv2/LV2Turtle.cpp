#include "lv2/LV2Turtle.h"

#include "lv2/IPlugLV2.h"
#include "plugin/Base64.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

// Vocabularies outside LV2 that the descriptions use.
const char* const kDoap = "http://usefulinc.com/ns/doap#";
const char* const kFoaf = "http://xmlns.com/foaf/0.1/";
const char* const kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
const char* const kRdfs = "http://www.w3.org/2000/01/rdf-schema#";
const char* const kXsd = "http://www.w3.org/2001/XMLSchema#";

// Unit labels that LV2 names; any other label becomes a unit of its own.
struct KnownUnit
{
  const char* label;
  const char* uri;
};
const KnownUnit kKnownUnits[] = {{"dB", LV2_UNITS__db}, {"Hz", LV2_UNITS__hz}, {"kHz", LV2_UNITS__khz},
                                 {"ms", LV2_UNITS__ms}, {"s", LV2_UNITS__s},   {"%", LV2_UNITS__pc}};

std::string Prefix(const char* name, const char* uri)
{
  return std::string("@prefix ") + name + ": <" + uri + "> .\n";
}

// A Turtle string literal.
std::string Quoted(const std::string& text)
{
  std::string out = "\"";
  for (char c : text)
  {
    switch (c)
    {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// The shortest Turtle number that reads back as exactly value (which must be finite), always
// with a decimal point or an exponent, so hosts read it as a real number and never as an integer.
std::string Number(double value)
{
  char text[32];
  for (int precision = 1; precision <= 17; ++precision)
  {
    snprintf(text, sizeof(text), "%.*g", precision, value);
    if (strtod(text, nullptr) == value) break;
  }
  std::string number = text;
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

bool IsSymbol(const char* symbol)
{
  if (!symbol || !(isalpha(static_cast<unsigned char>(symbol[0])) || symbol[0] == '_')) return false;
  for (const char* c = symbol; *c; ++c)
    if (!(isalnum(static_cast<unsigned char>(*c)) || *c == '_')) return false;
  return true;
}

std::string PresetURI(const IPlugLV2& plug, int presetIdx)
{
  return std::string(plug.Description().uri) + "/presets/" + std::to_string(presetIdx + 1);
}

// Every port symbol and number the files will hold, checked before anything is written.
bool CheckDescribable(const IPlugLV2& plug, std::string& error)
{
  std::set<std::string> symbols;
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IPlugLV2Port& port = plug.Description().ports[i];
    const IParam* pParam = plug.GetParam(i);
    if (!IsSymbol(port.symbol) || !symbols.insert(port.symbol).second)
    {
      error = "parameter " + std::to_string(i) + " has no symbol of its own that is a C identifier";
      return false;
    }
    if (!std::isfinite(pParam->GetMin()) || !std::isfinite(pParam->GetMax()) ||
        !std::isfinite(pParam->GetDefault()) || !std::isfinite(pParam->GetStep()))
    {
      error = std::string("parameter \"") + port.symbol + "\" has a range, default or step that is not finite";
      return false;
    }
  }
  for (int c = 0; c < plug.NInChannels() + plug.NOutChannels(); ++c)
  {
    const bool input = c < plug.NInChannels();
    const std::string symbol = (input ? "in_" : "out_") + std::to_string(input ? c + 1 : c - plug.NInChannels() + 1);
    if (!symbols.insert(symbol).second)
    {
      error = "a parameter's symbol \"" + symbol + "\" is the symbol of an audio port";
      return false;
    }
  }
  return true;
}

std::string UnitTurtle(const char* label)
{
  for (const KnownUnit& unit : kKnownUnits)
    if (!strcmp(label, unit.label)) return std::string("\t\tunits:unit <") + unit.uri + "> ;\n";
  std::string render;
  for (const char* c = label; *c; ++c) render += *c == '%' ? std::string("%%") : std::string(1, *c);
  return "\t\tunits:unit [\n\t\t\ta units:Unit ;\n\t\t\trdfs:label " + Quoted(label) +
         " ;\n\t\t\tunits:symbol " + Quoted(label) + " ;\n\t\t\tunits:render " + Quoted("%f " + render) +
         "\n\t\t] ;\n";
}

std::string ControlPortTurtle(const IPlugLV2& plug, int paramIdx)
{
  const IPlugLV2Port& port = plug.Description().ports[paramIdx];
  const IParam* pParam = plug.GetParam(paramIdx);
  const bool enabled = port.role == IPlugLV2Port::kEnabled;
  const bool stepped = pParam->Type() != IParam::kTypeDouble;
  std::string name = port.name && port.name[0] ? port.name : pParam->GetNameForHost();
  if (name.empty()) name = port.symbol;

  std::string t = "[\n\t\ta lv2:InputPort , lv2:ControlPort ;\n";
  t += "\t\tlv2:index " + std::to_string(paramIdx) + " ;\n";
  t += "\t\tlv2:symbol " + Quoted(port.symbol) + " ;\n";
  t += "\t\tlv2:name " + Quoted(name) + " ;\n";
  if (port.comment) t += "\t\trdfs:comment " + Quoted(port.comment) + " ;\n";
  t += "\t\tlv2:default " + Number(plug.PlainToPort(paramIdx, pParam->GetDefault())) + " ;\n";
  t += "\t\tlv2:minimum " + Number(enabled ? 0.0 : pParam->GetMin()) + " ;\n";
  t += "\t\tlv2:maximum " + Number(enabled ? 1.0 : pParam->GetMax()) + " ;\n";
  if (enabled) t += "\t\tlv2:designation lv2:enabled ;\n";

  std::string properties;
  auto addProperty = [&properties](const char* property) {
    properties += properties.empty() ? "\t\tlv2:portProperty " : " , ";
    properties += property;
  };
  const bool toggle = enabled || (stepped && pParam->GetMin() == 0.0 && pParam->GetMax() == 1.0 &&
                                  port.role != IPlugLV2Port::kEnumeration);
  if (stepped || enabled) addProperty("lv2:integer");
  if (toggle) addProperty("lv2:toggled");
  if (port.role == IPlugLV2Port::kEnumeration || pParam->Type() == IParam::kTypeEnum) addProperty("lv2:enumeration");
  if (port.role == IPlugLV2Port::kInert)
  {
    addProperty("pprops:notOnGUI");
    addProperty("pprops:notAutomatic");
  }
  if (!properties.empty()) t += properties + " ;\n";

  if (!stepped && !enabled && pParam->GetStep() > 0.0)
  {
    const double steps = std::floor((pParam->GetMax() - pParam->GetMin()) / pParam->GetStep() + 0.5) + 1.0;
    if (steps >= 2.0 && steps <= 1e6) t += "\t\tpprops:rangeSteps " + std::to_string(static_cast<int>(steps)) + " ;\n";
  }
  if (pParam->GetLabelForHost()[0] && !enabled) t += UnitTurtle(pParam->GetLabelForHost());

  std::string points;
  auto addPoint = [&points](const std::string& label, double value) {
    points += points.empty() ? "\t\tlv2:scalePoint " : " , ";
    points += "[\n\t\t\trdfs:label " + Quoted(label) + " ;\n\t\t\trdf:value " + Number(value) + "\n\t\t]";
  };
  if (port.role == IPlugLV2Port::kEnumeration && port.positionNames)
  {
    for (int k = 0; port.positionNames[k]; ++k)
      addPoint(port.positionNames[k], pParam->GetMin() + k * pParam->GetStep());
  }
  else if (!enabled)
  {
    for (int k = 0; k < pParam->GetNDisplayTexts(); ++k)
    {
      int value = 0;
      const char* text = pParam->GetDisplayTextAtIdx(k, &value);
      addPoint(text, value);
    }
  }
  if (!points.empty()) t += points + " ;\n";

  // Every statement above ends in " ;": the last one closes the port instead.
  t.erase(t.size() - 3);
  return t + "\n\t]";
}

std::string AudioPortTurtle(const IPlugLV2& plug, bool input, int channel)
{
  const int index = input ? plug.AudioInputPort(channel) : plug.AudioOutputPort(channel);
  const char* label = input ? plug.GetInputLabel(channel) : plug.GetOutputLabel(channel);
  const std::string number = std::to_string(channel + 1);
  const std::string name = label && label[0] ? label : (input ? "Input " : "Output ") + number;
  return std::string("[\n\t\ta lv2:AudioPort , ") + (input ? "lv2:InputPort" : "lv2:OutputPort") +
         " ;\n\t\tlv2:index " + std::to_string(index) + " ;\n\t\tlv2:symbol " +
         Quoted((input ? "in_" : "out_") + number) + " ;\n\t\tlv2:name " + Quoted(name) + "\n\t]";
}

// The editor as an X11 UI in the module binaryName: what the host must offer (a parent window and
// idle calls), what it may offer, and the idle interface it gets.
std::string UITurtle(const IPlugLV2& plug, const std::string& binaryName)
{
  return std::string("<") + plug.Description().uiURI + ">\n\ta ui:X11UI ;\n\tlv2:binary <" + binaryName +
         "> ;\n\tlv2:requiredFeature ui:idleInterface , ui:parent ;\n"
         "\tlv2:optionalFeature ui:noUserResize , ui:resize , ui:touch ;\n"
         "\tlv2:extensionData ui:idleInterface .\n";
}

std::string PluginTurtle(const IPlugLV2& plug, const std::string& binaryName)
{
  const int version = plug.GetEffectVersion(false);
  std::string t = Prefix("doap", kDoap) + Prefix("foaf", kFoaf) + Prefix("lv2", LV2_CORE_PREFIX) +
                  Prefix("pprops", LV2_PORT_PROPS_PREFIX) + Prefix("rdf", kRdf) + Prefix("rdfs", kRdfs) +
                  Prefix("state", LV2_STATE_PREFIX) + Prefix("ui", LV2_UI_PREFIX) +
                  Prefix("units", LV2_UNITS_PREFIX) + Prefix("urid", LV2_URID_PREFIX) + "\n";
  t += std::string("<") + plug.Description().uri + ">\n\ta lv2:Plugin , doap:Project";
  if (plug.Description().pluginClass) t += std::string(" , <") + plug.Description().pluginClass + ">";
  t += " ;\n\tdoap:name " + Quoted(plug.GetEffectName()) + " ;\n";
  if (plug.GetMfrName()[0]) t += "\tdoap:maintainer [\n\t\tfoaf:name " + Quoted(plug.GetMfrName()) + "\n\t] ;\n";
  t += "\tlv2:minorVersion " + std::to_string((version >> 8) & 0xFF) + " ;\n";
  t += "\tlv2:microVersion " + std::to_string(version & 0xFF) + " ;\n";
  t += "\tlv2:optionalFeature lv2:hardRTCapable , urid:map ;\n";
  t += "\tlv2:extensionData state:interface ;\n";
  if (plug.HasEditor()) t += std::string("\tui:ui <") + plug.Description().uiURI + "> ;\n";
  t += "\tlv2:port ";
  for (int i = 0; i < plug.NParams(); ++i) t += ControlPortTurtle(plug, i) + " , ";
  for (int c = 0; c < plug.NInChannels(); ++c) t += AudioPortTurtle(plug, true, c) + " , ";
  for (int c = 0; c < plug.NOutChannels(); ++c) t += AudioPortTurtle(plug, false, c) + " , ";
  t.erase(t.size() - 3);
  t += " .\n\n<" + std::string(plug.StateURI()) + ">\n\ta rdf:Property ;\n\trdfs:label " +
       Quoted(std::string(plug.GetEffectName()) + " settings") + " ;\n\trdfs:comment " +
       Quoted("Every parameter's value, as the program chunk of the VST 2 build holds them") + " .\n";
  if (plug.HasEditor()) t += "\n" + UITurtle(plug, binaryName);
  return t;
}

std::string ManifestTurtle(const IPlugLV2& plug, const std::string& binaryName)
{
  const std::string uri = std::string("<") + plug.Description().uri + ">";
  std::string t = Prefix("lv2", LV2_CORE_PREFIX) + Prefix("pset", LV2_PRESETS_PREFIX) + Prefix("rdfs", kRdfs) +
                  Prefix("ui", LV2_UI_PREFIX) + "\n";
  t += uri + "\n\ta lv2:Plugin ;\n\tlv2:binary <" + binaryName + "> ;\n\trdfs:seeAlso <" +
       LV2PluginFileName(plug) + "> .\n";
  if (plug.HasEditor())
  {
    t += std::string("\n<") + plug.Description().uiURI + ">\n\ta ui:X11UI ;\n\tlv2:binary <" + binaryName +
         "> ;\n\trdfs:seeAlso <" + LV2PluginFileName(plug) + "> .\n";
  }
  for (int i = 0; i < plug.NPresets(); ++i)
  {
    t += "\n<" + PresetURI(plug, i) + ">\n\ta pset:Preset ;\n\tlv2:appliesTo " + uri +
         " ;\n\trdfs:seeAlso <presets.ttl> .\n";
  }
  return t;
}

bool PresetsTurtle(IPlugLV2& plug, std::string& t, std::string& error)
{
  t = Prefix("lv2", LV2_CORE_PREFIX) + Prefix("pset", LV2_PRESETS_PREFIX) + Prefix("rdfs", kRdfs) +
      Prefix("state", LV2_STATE_PREFIX) + Prefix("xsd", kXsd);
  for (int i = 0; i < plug.NPresets(); ++i)
  {
    ByteChunk chunk;
    WDL_String base64;
    if (!plug.RestorePreset(i) || !plug.GetStateChunk(&chunk) ||
        !Base64Encode(chunk.GetBytes(), chunk.Size(), &base64))
    {
      error = "preset " + std::to_string(i + 1) + " cannot be read back";
      return false;
    }
    t += "\n<" + PresetURI(plug, i) + ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" + plug.Description().uri +
         "> ;\n\trdfs:label " + Quoted(plug.GetPresetName(i)) + " ;\n\tlv2:port ";
    for (int p = 0; p < plug.NParams(); ++p)
    {
      t += std::string(p ? " , " : "") + "[\n\t\tlv2:symbol " + Quoted(plug.Description().ports[p].symbol) +
           " ;\n\t\tpset:value " + Number(plug.PlainToPort(p, plug.GetParam(p)->Value())) + "\n\t]";
    }
    t += " ;\n\tstate:state [\n\t\t<" + std::string(plug.StateURI()) + "> " + Quoted(base64.Get()) +
         "^^xsd:base64Binary\n\t] .\n";
  }
  return true;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
  FILE* file = fopen(path.c_str(), "w");
  bool ok = file && fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file) ok = fclose(file) == 0 && ok;
  if (!ok) error = "cannot write \"" + path + "\"";
  return ok;
}

} // namespace

std::string LV2PluginFileName(const IPlugLV2& plug)
{
  std::string name;
  for (const char* c = plug.GetEffectName(); *c; ++c)
  {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (isalnum(u) || *c == '-' || *c == '_') name += static_cast<char>(tolower(u));
  }
  return name + ".ttl";
}

bool WriteLV2Bundle(IPlugLV2& plug, const std::string& folder, const std::string& binaryName,
                    std::string& error)
{
  std::string presets;
  return CheckDescribable(plug, error) && PresetsTurtle(plug, presets, error) &&
         WriteFile(folder + "/manifest.ttl", ManifestTurtle(plug, binaryName), error) &&
         WriteFile(folder + "/" + LV2PluginFileName(plug), PluginTurtle(plug, binaryName), error) &&
         WriteFile(folder + "/presets.ttl", presets, error);
}

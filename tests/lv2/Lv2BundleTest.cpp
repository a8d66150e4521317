// The built Kestrune.lv2 bundle as hosts read it: lilv, Debian's LV2 tools, and the module file.

#include "tests/lv2/Lv2TestSupport.h"
#include "tests/tools/ToolRunner.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <unistd.h>

#include <set>
#include <sstream>

namespace kestrune_test {
namespace {

const std::string kBundle = kBundlePath;

bool HasProperty(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* property) {
  return lilv_port_has_property(plugin, port, world.Uri(property));
}

// The value of predicate on port as a number, or NaN when it has none.
double PortNumber(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* predicate) {
  LilvNodes* values = lilv_port_get_value(plugin, port, world.Uri(predicate));
  double number = std::nan("");
  if (values && lilv_nodes_size(values) == 1) number = lilv_node_as_float(lilv_nodes_get_first(values));
  lilv_nodes_free(values);
  return number;
}

std::string PortText(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* predicate) {
  LilvNodes* values = lilv_port_get_value(plugin, port, world.Uri(predicate));
  std::string text;
  if (values && lilv_nodes_size(values) == 1) text = lilv_node_as_string(lilv_nodes_get_first(values));
  lilv_nodes_free(values);
  return text;
}

std::vector<std::pair<std::string, float>> ScalePoints(const LilvPlugin* plugin, const LilvPort* port) {
  std::vector<std::pair<std::string, float>> points;
  LilvScalePoints* all = lilv_port_get_scale_points(plugin, port);
  LILV_FOREACH(scale_points, i, all) {
    const LilvScalePoint* point = lilv_scale_points_get(all, i);
    points.emplace_back(lilv_node_as_string(lilv_scale_point_get_label(point)),
                        lilv_node_as_float(lilv_scale_point_get_value(point)));
  }
  lilv_scale_points_free(all);
  std::sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  return points;
}

TEST(Lv2Bundle, DescribesThePluginAndEveryParameterAsTheEffectDeclaresIt) {
  Lv2World world(kBundle);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  ASSERT_NE(plugin, nullptr);
  LilvNode* name = lilv_plugin_get_name(plugin);
  EXPECT_STREQ(lilv_node_as_string(name), "Kestrune");
  lilv_node_free(name);
  EXPECT_TRUE(lilv_world_ask(world.World(), lilv_plugin_get_uri(plugin),
                             world.Uri("http://www.w3.org/1999/02/22-rdf-syntax-ns#type"),
                             world.Uri(LV2_CORE__EQPlugin)));
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  EXPECT_EQ(lilv_nodes_size(required), 0u);
  lilv_nodes_free(required);
  EXPECT_TRUE(lilv_plugin_has_feature(plugin, world.Uri(LV2_URID__map)));
  EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, world.Uri(LV2_STATE__interface)));

  // The parameter table of the effect: names, plain ranges and defaults; the circuit switch as two
  // named positions, bypass as the host's enable switch, the spare kept out of generic editors.
  struct Expected {
    const char* symbol;
    const char* name;
    float def, min, max;
    double rangeSteps;
  };
  const Expected expected[kNumParams] = {{"out", "OUT", 0.5f, 0.f, 1.f, 101},
                                         {"circuit", "Circuit", 0.f, 0.f, 1.f, NAN},
                                         {"hi", "HI", 0.5f, 0.f, 1.f, 101},
                                         {"spare", "Spare", 0.f, 0.f, 1.f, NAN},
                                         {"lo", "LO", 0.5f, 0.f, 1.f, 101},
                                         {"enabled", "Enabled", 1.f, 0.f, 1.f, NAN}};
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 10u);
  std::vector<float> mins(10), maxs(10), defs(10);
  lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
  for (uint32_t i = 0; i < kNumParams; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    const Expected& e = expected[i];
    EXPECT_TRUE(lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__ControlPort)) &&
                lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__InputPort)))
        << i;
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), e.symbol) << i;
    LilvNode* portName = lilv_port_get_name(plugin, port);
    EXPECT_STREQ(lilv_node_as_string(portName), e.name) << i;
    lilv_node_free(portName);
    EXPECT_EQ(defs[i], e.def) << i;
    EXPECT_EQ(mins[i], e.min) << i;
    EXPECT_EQ(maxs[i], e.max) << i;
    const double steps = PortNumber(world, plugin, port, LV2_PORT_PROPS__rangeSteps);
    if (std::isnan(e.rangeSteps)) {
      EXPECT_TRUE(std::isnan(steps)) << i;
    } else {
      EXPECT_EQ(steps, e.rangeSteps) << i;
    }
    const bool stepped = i == kCircuit || i == kSpare || i == kBypass;
    EXPECT_EQ(HasProperty(world, plugin, port, LV2_CORE__integer), stepped) << i;
    EXPECT_EQ(HasProperty(world, plugin, port, LV2_CORE__toggled), i == kSpare || i == kBypass) << i;
    EXPECT_EQ(HasProperty(world, plugin, port, LV2_CORE__enumeration), i == kCircuit) << i;
    EXPECT_EQ(HasProperty(world, plugin, port, LV2_PORT_PROPS__notOnGUI), i == kSpare) << i;
    EXPECT_EQ(PortText(world, plugin, port, LV2_CORE__designation), i == kBypass ? LV2_CORE__enabled : "") << i;
    EXPECT_FALSE(PortText(world, plugin, port, "http://www.w3.org/2000/01/rdf-schema#comment").empty()) << i;
  }
  const std::vector<std::pair<std::string, float>> positions = {{"Plain", 0.f}, {"Bright", 1.f}};
  EXPECT_EQ(ScalePoints(plugin, lilv_plugin_get_port_by_index(plugin, kCircuit)), positions);
  EXPECT_TRUE(ScalePoints(plugin, lilv_plugin_get_port_by_index(plugin, kOut)).empty());

  const char* audio[4] = {"in_1", "in_2", "out_1", "out_2"};
  for (uint32_t i = kNumParams; i < 10; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    EXPECT_TRUE(lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__AudioPort))) << i;
    EXPECT_TRUE(lilv_port_is_a(plugin, port, world.Uri(i < 8 ? LV2_CORE__InputPort : LV2_CORE__OutputPort))) << i;
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), audio[i - kNumParams]) << i;
  }
}

TEST(Lv2Bundle, PublishesTheDefaultPresetDashThatRestoresTheDefaults) {
  Lv2World world(kBundle);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  ASSERT_NE(plugin, nullptr);
  LilvNodes* presets = lilv_plugin_get_related(plugin, world.Uri(LV2_PRESETS__Preset));
  ASSERT_EQ(lilv_nodes_size(presets), 1u);
  const LilvNode* preset = lilv_nodes_get_first(presets);
  lilv_world_load_resource(world.World(), preset);
  LilvState* state = lilv_state_new_from_world(world.World(), world.Urids().MapFeature(), preset);
  lilv_nodes_free(presets);
  ASSERT_NE(state, nullptr);
  EXPECT_STREQ(lilv_state_get_label(state), "-");
  EXPECT_EQ(lilv_state_get_num_properties(state), 1u);

  // An instance moved away from every default comes back to a fresh instance's sound.
  Lv2Instance fresh(world, plugin, 44100.0), moved(world, plugin, 44100.0);
  ASSERT_TRUE(fresh.Ok() && moved.Ok());
  const float away[kNumParams] = {0.875f, 1.f, 0.125f, 1.f, 0.9375f, 0.f};
  for (int p = 0; p < kNumParams; ++p) moved.Set(kSymbols[p], away[p]);
  const Channels input = Noise(2048, 0.5f, 5);
  Channels discard, a, b;
  RenderLv2(moved, input, 0, 1024, 1024, discard);
  moved.Restore(state);
  lilv_state_free(state);
  for (int p = 0; p < kNumParams; ++p) EXPECT_EQ(moved.Get(kSymbols[p]), fresh.Get(kSymbols[p])) << kSymbols[p];

  // The filters of the moved instance have run already; the parameters are compared by their
  // saved state instead of by sound.
  LilvState* restored = moved.Save();
  LilvState* initial = fresh.Save();
  EXPECT_TRUE(lilv_state_equals(restored, initial));
  lilv_state_free(restored);
  lilv_state_free(initial);
}

TEST(Lv2Bundle, ModuleExportsOnlyTheDescriptorsAndNeedsOnlyLibrariesEveryDesktopHas) {
  const CommandResult symbols = RunCommand(std::string("nm -D --defined-only ") + KESTRUNE_LV2_MODULE_PATH);
  ASSERT_EQ(symbols.status, 0) << symbols.output;
  std::set<std::string> exported;
  std::istringstream lines(symbols.output);
  for (std::string line; std::getline(lines, line);) {
    const size_t space = line.rfind(' ');
    if (space != std::string::npos) exported.insert(line.substr(space + 1));
  }
  EXPECT_EQ(exported, (std::set<std::string>{"lv2_descriptor", "lv2ui_descriptor"}));

  // The C and C++ runtimes, and for the editor Xlib, FreeType, fontconfig and libpng, with what
  // those bring along.
  std::set<std::string> allowed = {"libstdc++.so.6", "libm.so.6", "libgcc_s.so.1", "libc.so.6",
                                   "libX11.so.6", "libXext.so.6", "libXfixes.so.3", "libxcb.so.1",
                                   "libXau.so.6", "libXdmcp.so.6", "libfreetype.so.6", "libfontconfig.so.1",
                                   "libexpat.so.1", "libpng16.so.16", "libz.so.1"};
#ifdef KESTRUNE_SANITIZED
  allowed.insert({"libasan.so.8", "libubsan.so.1"});
#endif
  const CommandResult needed = RunCommand(std::string("readelf -d ") + KESTRUNE_LV2_MODULE_PATH);
  ASSERT_EQ(needed.status, 0) << needed.output;
  std::istringstream dynamic(needed.output);
  for (std::string line; std::getline(dynamic, line);) {
    if (line.find("(NEEDED)") == std::string::npos) continue;
    const size_t open = line.find('['), close = line.find(']');
    ASSERT_NE(open, std::string::npos);
    EXPECT_TRUE(allowed.count(line.substr(open + 1, close - open - 1))) << line;
  }
}

TEST(Lv2Bundle, DebianLv2ToolsAcceptTheBundle) {
  for (const char* file : {"manifest.ttl", "kestrune.ttl", "presets.ttl"}) {
    const CommandResult parsed = RunCommand("serdi -q -i turtle -o ntriples '" + kBundle + "/" + file + "' > /dev/null");
    EXPECT_EQ(parsed.status, 0) << file << ": " << parsed.output;
    EXPECT_EQ(parsed.output, "") << file;
  }
  const CommandResult validated = RunCommand("sord_validate $(find /usr/lib/lv2 -name '*.ttl') '" + kBundle +
                                             "'/manifest.ttl '" + kBundle + "'/kestrune.ttl '" + kBundle +
                                             "'/presets.ttl");
  EXPECT_EQ(validated.status, 0) << validated.output;
  EXPECT_NE(validated.output.find("Found 0 errors"), std::string::npos) << validated.output;
  EXPECT_EQ(validated.output.find("warning"), std::string::npos) << validated.output;

  // lv2info finds the plug-in on a search path that holds only this bundle.
  ScratchFolder path;
  ASSERT_EQ(symlink(kBundlePath, path.File("Kestrune.lv2").c_str()), 0);
  const CommandResult info = RunCommand("LV2_PATH='" + path.Path() + "' lv2info " + kKestruneUri);
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_EQ(info.output.find("error"), std::string::npos) << info.output;
  for (const char* text : {"Name:              Kestrune", "Presets: \n\t         -\n", "Symbol:      enabled\n\t\tName:        Enabled\n"
                           "\t\tDesignation: http://lv2plug.in/ns/lv2core#enabled\n\t\tMinimum:     0.000000\n"
                           "\t\tMaximum:     1.000000\n\t\tDefault:     1.000000",
                           "Symbol:      hi\n\t\tName:        HI\n\t\tMinimum:     0.000000\n\t\tMaximum:     1.000000\n"
                           "\t\tDefault:     0.500000", "1.0 = \"Bright\"", "0.0 = \"Plain\""}) {
    EXPECT_NE(info.output.find(text), std::string::npos) << text << "\n" << info.output;
  }
}

}  // namespace
}  // namespace kestrune_test

// The bundle description writer on a plug-in of every parameter kind, read back with lilv.

#include "lv2/LV2Turtle.h"
#include "lv2/IPlugLV2.h"
#include "tests/lv2/Lv2TestSupport.h"
#include "tests/tools/ToolRunner.h"

#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace kestrune_test {
namespace {

const char* const kWidgetUri = "urn:kestrune:test:widget";
const char* const kModes[] = {"Soft", "Hard", "Wild", nullptr};

// Ports of every kind: a double in dB, a double in a unit LV2 does not name, a bool, an enum with
// display texts, an int over 0..10, a stepped parameter with named positions.
IPlugLV2Port gPorts[6] = {{"gain", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr},
                          {"drive", "Drive \"hot\"", IPlugLV2Port::kPlain, nullptr, "A \\ comment"},
                          {"mute", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr},
                          {"shape", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr},
                          {"count", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr},
                          {"mode", nullptr, IPlugLV2Port::kEnumeration, kModes, nullptr}};
const IPlugLV2Description gDescription = {kWidgetUri, nullptr, gPorts};

class WidgetPlug : public IPlugLV2 {
 public:
  explicit WidgetPlug(const IPlugInstanceInfo& info)
      : IPlugLV2(info, 6, "2-2", 2, "Widget Box", "", "Tester", 0x10203, 1, 2) {
    GetParam(0)->InitDouble("Gain", -6.0, -60.0, 12.0, 0.5, "dB", "");
    GetParam(1)->InitDouble("Drive", 2.0, 1.0, 10.0, 0.1, "widgets", "", 2.0);
    GetParam(2)->InitBool("Mute", true, "", "");
    GetParam(3)->InitEnum("Shape", 1, 3, "", "");
    GetParam(3)->SetDisplayText(0, "Sine");
    GetParam(3)->SetDisplayText(1, "Square");
    GetParam(3)->SetDisplayText(2, "Saw");
    GetParam(4)->InitInt("Count", 3, 0, 10, "", "");
    GetParam(5)->InitInt("Mode", 2, 0, 2, "", "");
    MakeDefaultPreset("Start", 1);
    GetParam(0)->Set(1.5);
    MakeDefaultPreset("Loud", 1);
  }
};

std::unique_ptr<WidgetPlug> MakeWidget() {
  IPlugInstanceInfo info;
  info.mDescription = &gDescription;
  auto plug = std::make_unique<WidgetPlug>(info);
  EXPECT_TRUE(plug->FinishInstantiation());
  return plug;
}

TEST(LV2Turtle, DescribesEveryParameterKindAndEachPreset) {
  ScratchFolder folder;
  auto plug = MakeWidget();
  std::string error;
  ASSERT_TRUE(WriteLV2Bundle(*plug, folder.Path(), "widget.so", error)) << error;
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"manifest.ttl", "presets.ttl", "widgetbox.ttl"}));

  Lv2World world(folder.Path());
  const LilvPlugin* plugin = world.Plugin(kWidgetUri);
  ASSERT_NE(plugin, nullptr);
  const std::string library = lilv_node_as_uri(lilv_plugin_get_library_uri(plugin));
  EXPECT_EQ(library.substr(library.rfind('/')), "/widget.so");
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 10u);
  std::vector<float> mins(10), maxs(10), defs(10);
  lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
  const float expectedDefault[6] = {-6.f, 2.f, 1.f, 1.f, 3.f, 2.f};
  const float expectedMin[6] = {-60.f, 1.f, 0.f, 0.f, 0.f, 0.f};
  const float expectedMax[6] = {12.f, 10.f, 1.f, 2.f, 10.f, 2.f};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(defs[i], expectedDefault[i]) << i;
    EXPECT_EQ(mins[i], expectedMin[i]) << i;
    EXPECT_EQ(maxs[i], expectedMax[i]) << i;
  }
  auto port = [&](int i) { return lilv_plugin_get_port_by_index(plugin, static_cast<uint32_t>(i)); };
  auto has = [&](int i, const char* property) { return lilv_port_has_property(plugin, port(i), world.Uri(property)); };
  auto value = [&](int i, const char* predicate) {
    LilvNodes* nodes = lilv_port_get_value(plugin, port(i), world.Uri(predicate));
    std::string text = nodes && lilv_nodes_size(nodes) == 1 ? lilv_node_as_string(lilv_nodes_get_first(nodes)) : "";
    lilv_nodes_free(nodes);
    return text;
  };

  LilvNode* driveName = lilv_port_get_name(plugin, port(1));
  EXPECT_STREQ(lilv_node_as_string(driveName), "Drive \"hot\"");
  lilv_node_free(driveName);
  EXPECT_EQ(value(1, "http://www.w3.org/2000/01/rdf-schema#comment"), "A \\ comment");
  // 0.5 dB steps over 72 dB, and 0.1 over 9: the points of each range, ends included.
  EXPECT_EQ(value(0, LV2_PORT_PROPS__rangeSteps), "145");
  EXPECT_EQ(value(1, LV2_PORT_PROPS__rangeSteps), "91");
  EXPECT_EQ(value(0, LV2_UNITS__unit), LV2_UNITS__db);
  LilvNodes* units = lilv_port_get_value(plugin, port(1), world.Uri(LV2_UNITS__unit));
  ASSERT_EQ(lilv_nodes_size(units), 1u);
  LilvNodes* symbol = lilv_world_find_nodes(world.World(), lilv_nodes_get_first(units), world.Uri(LV2_UNITS__symbol), nullptr);
  ASSERT_EQ(lilv_nodes_size(symbol), 1u);
  EXPECT_STREQ(lilv_node_as_string(lilv_nodes_get_first(symbol)), "widgets");
  lilv_nodes_free(symbol);
  lilv_nodes_free(units);

  // Doubles are continuous; bool and int are integers; a 0..1 bool toggles; enums and named
  // positions are enumerations with their names as scale points.
  const bool integer[6] = {false, false, true, true, true, true};
  const bool toggled[6] = {false, false, true, false, false, false};
  const bool enumeration[6] = {false, false, false, true, false, true};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(has(i, LV2_CORE__integer), integer[i]) << i;
    EXPECT_EQ(has(i, LV2_CORE__toggled), toggled[i]) << i;
    EXPECT_EQ(has(i, LV2_CORE__enumeration), enumeration[i]) << i;
  }
  auto points = [&](int i) {
    std::vector<std::pair<float, std::string>> out;
    LilvScalePoints* all = lilv_port_get_scale_points(plugin, port(i));
    LILV_FOREACH(scale_points, it, all) {
      const LilvScalePoint* p = lilv_scale_points_get(all, it);
      out.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(p)), lilv_node_as_string(lilv_scale_point_get_label(p)));
    }
    lilv_scale_points_free(all);
    std::sort(out.begin(), out.end());
    return out;
  };
  EXPECT_EQ(points(2), (std::vector<std::pair<float, std::string>>{{0.f, "off"}, {1.f, "on"}}));
  EXPECT_EQ(points(3), (std::vector<std::pair<float, std::string>>{{0.f, "Sine"}, {1.f, "Square"}, {2.f, "Saw"}}));
  EXPECT_EQ(points(5), (std::vector<std::pair<float, std::string>>{{0.f, "Soft"}, {1.f, "Hard"}, {2.f, "Wild"}}));
  EXPECT_TRUE(points(4).empty());

  // Both presets, each with its own values.
  LilvNodes* presets = lilv_plugin_get_related(plugin, world.Uri(LV2_PRESETS__Preset));
  ASSERT_EQ(lilv_nodes_size(presets), 2u);
  std::map<std::string, float> gainByLabel;
  LILV_FOREACH(nodes, it, presets) {
    const LilvNode* preset = lilv_nodes_get(presets, it);
    lilv_world_load_resource(world.World(), preset);
    LilvState* state = lilv_state_new_from_world(world.World(), world.Urids().MapFeature(), preset);
    ASSERT_NE(state, nullptr);
    lilv_state_emit_port_values(
        state,
        [](const char* sym, void* user, const void* v, uint32_t, uint32_t) {
          if (!strcmp(sym, "gain")) *static_cast<float*>(user) = *static_cast<const float*>(v);
        },
        &gainByLabel[lilv_state_get_label(state)]);
    lilv_state_free(state);
  }
  lilv_nodes_free(presets);
  EXPECT_EQ(gainByLabel, (std::map<std::string, float>{{"Start", -6.f}, {"Loud", 1.5f}}));
}

TEST(LV2Turtle, RefusesAPluginItCannotDescribeAndWritesNothing) {
  auto check = [](IPlugLV2Port port, const std::function<void(WidgetPlug&)>& spoil, const char* why) {
    const IPlugLV2Port saved = gPorts[4];
    gPorts[4] = port;
    auto plug = MakeWidget();
    spoil(*plug);
    ScratchFolder folder;
    std::string error;
    EXPECT_FALSE(WriteLV2Bundle(*plug, folder.Path(), "widget.so", error)) << why;
    EXPECT_FALSE(error.empty()) << why;
    EXPECT_TRUE(folder.Entries().empty()) << why;
    gPorts[4] = saved;
  };
  auto keep = [](WidgetPlug&) {};
  check({"gain", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr}, keep, "a symbol used twice");
  check({"out_1", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr}, keep, "an audio port's symbol");
  check({"2nd", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr}, keep, "not a C identifier");
  check({nullptr, nullptr, IPlugLV2Port::kPlain, nullptr, nullptr}, keep, "no symbol");
  check(gPorts[4], [](WidgetPlug& p) { p.GetParam(1)->InitDouble("Drive", 2.0, 1.0, HUGE_VAL, 0.1, "", ""); },
        "an infinite range");
}

}  // namespace
}  // namespace kestrune_test

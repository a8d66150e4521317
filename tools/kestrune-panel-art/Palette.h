#pragma once
// The panel's materials and colours: dark enamel with cream legends, black knobs with machined
// aluminium caps, chrome hardware and a red lamp. Light falls from the upper left.

#include "tools/kestrune-panel-art/Colour.h"

namespace kestrune::panelart::palette {

constexpr LICE_pixel kEnamelTop = Rgb(50, 55, 61);
constexpr LICE_pixel kEnamelBottom = Rgb(33, 37, 42);
constexpr LICE_pixel kNameplate = Rgb(30, 32, 36);
constexpr LICE_pixel kLegend = Rgb(233, 224, 200);
constexpr LICE_pixel kLegendDim = Rgb(150, 145, 132);
constexpr LICE_pixel kEngraving = Rgb(14, 15, 17);
constexpr LICE_pixel kHighlight = Rgb(255, 255, 255);
constexpr LICE_pixel kShadow = Rgb(0, 0, 0);

constexpr LICE_pixel kKnobSkirt = Rgb(27, 28, 31);
constexpr LICE_pixel kKnobGrip = Rgb(36, 37, 40);
constexpr LICE_pixel kAluminium = Rgb(176, 180, 186);
constexpr LICE_pixel kPointer = Rgb(240, 232, 210);

constexpr LICE_pixel kChrome = Rgb(196, 200, 206);
constexpr LICE_pixel kLampOff = Rgb(62, 24, 20);
constexpr LICE_pixel kLampOn = Rgb(255, 72, 44);

}  // namespace kestrune::panelart::palette

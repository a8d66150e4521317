#pragma once
// The panel's type styles.

#include "tools/kestrune-panel-art/Typesetter.h"

namespace kestrune::panelart::typography {

// Control names: HI, LO, OUT, the circuit positions and BYPASS.
constexpr Type kLabel{"DejaVu Sans", 700, 9.5, 1.4};
// Scale numerals around the knobs.
constexpr Type kNumeral{"DejaVu Sans", 400, 7.5, 0.0};
// The product's name.
constexpr Type kProduct{"DejaVu Serif", 700, 28.0, 0.5};
// The line under the product's name.
constexpr Type kTagline{"DejaVu Sans", 700, 7.0, 2.6};
// The maker's name on the nameplate.
constexpr Type kMaker{"DejaVu Sans", 700, 11.0, 3.2};
// The web address on the nameplate.
constexpr Type kAddress{"DejaVu Sans", 400, 10.5, 0.3};

}  // namespace kestrune::panelart::typography

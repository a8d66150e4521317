#pragma once

// One-pole smoother of a knob value: input gain g, pole a, state z. The tone chain sets a and g
// from the sample rate and steps it four times per frame.
struct KestSmoother {
  double g = 1.0;
  double a = 0.0;
  double z = 0.0;

  // Advances one step towards x (z = x g + z a) and returns the new state. With a constant x the
  // state settles on a floating-point fixed point and then stops changing: the step is monotone
  // in z, so the states approach it from one side and cannot cycle.
  double Step(double x) {
    z = x * g + z * a;
    return z;
  }
};

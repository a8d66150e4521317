#pragma once
// Reading back what --response-csv and --response wrote.

#include <string>

#include "rasterizer/lice_bitmap.h"
#include "tools/kestrune-render/ResponseMeasurement.h"
#include "tools/kestrune-render/ResponsePlot.h"

namespace kestrune_test {

// Parses a response CSV file (header, then hertz and one gain per channel on each line); false when
// it is missing or malformed.
bool ReadResponseCsv(const std::string& path, kestrune::render::FrequencyResponse& response);

// The gain of channel at hz, interpolated linearly over log frequency between the listed points.
double GainAt(const kestrune::render::FrequencyResponse& response, size_t channel, double hz);

// How much of a curve in colour pixel p shows over the plot's grey background and grid, 0 (none)
// to 1 (all).
double Likeness(LICE_pixel p, LICE_pixel colour);

// The frequency a picture's pixel column x stands for (the rasteriser centres pixels on whole
// coordinates).
double ColumnFrequency(int x);

// The row centre of colour's ink in column x between rows top and bottom, weighted by Likeness
// (counting pixels above 0.2); -1 when the column holds none.
double InkCentre(LICE_IBitmap* picture, int x, int top, int bottom, LICE_pixel colour);

}  // namespace kestrune_test

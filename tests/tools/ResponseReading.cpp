#include "tests/tools/ResponseReading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "rasterizer/lice_pixelops.h"

namespace kestrune_test {

bool ReadResponseCsv(const std::string& path, kestrune::render::FrequencyResponse& response) {
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line) || line.rfind("frequency_hz,", 0) != 0) return false;
  const size_t channels = static_cast<size_t>(std::count(line.begin(), line.end(), ','));
  response = {};
  response.gainsDb.assign(channels, {});
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string field;
    if (!std::getline(fields, field, ',')) return false;
    response.frequencies.push_back(std::stod(field));
    for (size_t c = 0; c < channels; ++c) {
      if (!std::getline(fields, field, ',')) return false;
      response.gainsDb[c].push_back(std::stod(field));
    }
  }
  return !response.frequencies.empty();
}

double GainAt(const kestrune::render::FrequencyResponse& response, size_t channel, double hz) {
  const std::vector<double>& f = response.frequencies;
  size_t i = 1;
  while (i + 1 < f.size() && f[i] < hz) ++i;
  const double t = std::log(hz / f[i - 1]) / std::log(f[i] / f[i - 1]);
  return (1.0 - t) * response.gainsDb[channel][i - 1] + t * response.gainsDb[channel][i];
}

double ColumnFrequency(int x) {
  using kestrune::render::PlotGeometry;
  const double share = static_cast<double>(x - PlotGeometry::kLeft) / (PlotGeometry::kRight - PlotGeometry::kLeft);
  return kestrune::render::kResponseLowestHz *
         std::pow(kestrune::render::kResponseHighestHz / kestrune::render::kResponseLowestHz, share);
}

double Likeness(LICE_pixel p, LICE_pixel colour) {
  // The plot's background and grid are grey, the curves strongly coloured: a pixel's colour less its
  // grey part, projected onto the curve colour's, tells how much of the curve it holds.
  auto chroma = [](LICE_pixel q) {
    const double r = LICE_GETR(q), g = LICE_GETG(q), b = LICE_GETB(q), grey = (r + g + b) / 3.0;
    return std::array<double, 3>{r - grey, g - grey, b - grey};
  };
  const std::array<double, 3> a = chroma(p), c = chroma(colour);
  const double along = a[0] * c[0] + a[1] * c[1] + a[2] * c[2];
  const double full = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
  return std::clamp(along / full, 0.0, 1.0);
}

double InkCentre(LICE_IBitmap* picture, int x, int top, int bottom, LICE_pixel colour) {
  double weight = 0.0, sum = 0.0;
  for (int y = top; y <= bottom; ++y) {
    const double w = Likeness(LICE_GetPixel(picture, x, y), colour);
    if (w < 0.2) continue;
    weight += w;
    sum += w * y;
  }
  return weight > 0.0 ? sum / weight : -1.0;
}

}  // namespace kestrune_test

#include "tools/kestrune-render/RealFft.h"

#include <algorithm>
#include <mutex>

namespace kestrune::render {
namespace {

// FFTW's planner is not thread-safe: plans are made and destroyed under one lock; running them is
// safe from any thread.
std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

void RealFft::PlanDestroy::operator()(fftw_plan p) const {
  std::lock_guard<std::mutex> hold(PlannerLock());
  fftw_destroy_plan(p);
}

RealFft::RealFft(size_t size)
    : size_(size),
      samples_(fftw_alloc_real(size)),
      spectrum_(fftw_alloc_complex(size / 2 + 1)) {
  std::fill(samples_.get(), samples_.get() + size_, 0.0);
  std::fill(Spectrum(), Spectrum() + Bins(), std::complex<double>());
  std::lock_guard<std::mutex> hold(PlannerLock());
  const int n = static_cast<int>(size_);
  forward_.reset(fftw_plan_dft_r2c_1d(n, samples_.get(), spectrum_.get(), FFTW_ESTIMATE));
  inverse_.reset(fftw_plan_dft_c2r_1d(n, spectrum_.get(), samples_.get(), FFTW_ESTIMATE));
}

RealFft::~RealFft() = default;

void RealFft::Forward() { fftw_execute(forward_.get()); }

void RealFft::Inverse() {
  fftw_execute(inverse_.get());
  const double scale = 1.0 / static_cast<double>(size_);
  std::for_each(samples_.get(), samples_.get() + size_, [scale](double& v) { v *= scale; });
}

}  // namespace kestrune::render

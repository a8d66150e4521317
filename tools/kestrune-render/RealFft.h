#pragma once
// Fast Fourier transforms of real signals of one length, through FFTW.

#include <fftw3.h>

#include <complex>
#include <cstddef>
#include <memory>

namespace kestrune::render {

// A forward and an inverse transform of `size` real samples, with the buffers they work in.
// Spectra hold size / 2 + 1 bins, bin k at k × rate / size hertz.
class RealFft {
 public:
  // size must be even and at least 2. The plans are made with FFTW_ESTIMATE, so construction costs
  // no trial runs.
  explicit RealFft(size_t size);
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  size_t Size() const { return size_; }
  size_t Bins() const { return size_ / 2 + 1; }
  // The time-domain buffer (Size() samples) and the spectrum buffer (Bins() bins).
  double* Samples() { return samples_.get(); }
  std::complex<double>* Spectrum() { return reinterpret_cast<std::complex<double>*>(spectrum_.get()); }

  // Samples() to Spectrum(), unscaled; Samples() is kept.
  void Forward();
  // Spectrum() to Samples(), divided by Size() so that Inverse() undoes Forward(); Spectrum() is
  // overwritten.
  void Inverse();

 private:
  struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
  };
  struct PlanDestroy {
    void operator()(fftw_plan p) const;
  };
  using Plan = std::unique_ptr<std::remove_pointer_t<fftw_plan>, PlanDestroy>;

  size_t size_;
  std::unique_ptr<double, FftwFree> samples_;
  std::unique_ptr<fftw_complex, FftwFree> spectrum_;
  Plan forward_;
  Plan inverse_;
};

}  // namespace kestrune::render

#pragma once

// The bilinear map s = 2 fs (1 - 1/z) / (1 + 1/z), without prewarping, that carries the tone
// filters' analogue prototypes into the z domain. The maps here take prototype coefficients that
// already carry their factor (2 fs)^p, so only the small integer matrix is left: multiplying
// numerator and denominator by (1 + 1/z)^Order turns s^p into (1 - 1/z)^p (1 + 1/z)^(Order - p).
//
// Where the rounding happens matters a great deal for these filters. Their poles crowd close to
// z = 1, so a digital coefficient set that is not the image of some analogue prototype can be far
// off in sound, while a slightly different prototype only sounds slightly different. The knob
// terms cancel heavily against each other; that cancellation must happen in the prototype, before
// this map, never after it. Likewise the powers of 2 fs belong to the prototype: folded into the
// integer matrix they would round differently in every row.

// c[k][p]: the coefficient of z^-k in (1 - 1/z)^p (1 + 1/z)^(Order - p). Row Order - k is row k
// with the odd columns negated.
template <int Order>
struct KestBilinearMatrix {
  double c[Order + 1][Order + 1];
  constexpr KestBilinearMatrix() : c() {
    for (int p = 0; p <= Order; ++p) {
      double poly[Order + 1] = {1.0};
      for (int f = 0; f < Order; ++f) {
        const double sign = f < p ? -1.0 : 1.0;
        for (int k = f + 1; k > 0; --k) poly[k] += sign * poly[k - 1];
      }
      for (int k = 0; k <= Order; ++k) c[k][p] = poly[k];
    }
  }
};

// r[k][p], p = 1 .. Order: the coefficient of z^-k in (1 - 1/z)^(p - 1) (1 + 1/z)^(Order - p),
// which is the running sum over rows 0 .. k of column p of KestBilinearMatrix. Row Order - 1 - k
// is row k with the even columns negated.
template <int Order>
struct KestBilinearSumsMatrix {
  double r[Order][Order + 1];
  constexpr KestBilinearSumsMatrix() : r() {
    constexpr KestBilinearMatrix<Order> full;
    for (int p = 1; p <= Order; ++p) {
      double sum = 0.0;
      for (int k = 0; k < Order; ++k) {
        sum += full.c[k][p];
        r[k][p] = sum;
      }
    }
  }
};

// The two halves of a row pair: the even-column and odd-column sums of row k of matrix m applied
// to v, over columns first .. last. Absent entries are skipped and unit entries cost no product
// once the loops are unrolled, which they always are.
template <class Matrix, class T>
__attribute__((always_inline)) inline void KestRowHalves(const Matrix& m, int k, int first,
                                                         int last, const T* v, T& even, T& odd) {
  even = T{};
  odd = T{};
#pragma GCC unroll 8
  for (int p = first; p <= last; ++p) {
    if (m[k][p] == 0.0) continue;
    if (p % 2 == 0) {
      even += m[k][p] * v[p];
    } else {
      odd += m[k][p] * v[p];
    }
  }
}

// The digital denominator a[0 .. Order] of the prototype denominator d[0 .. Order] (d[p] the
// coefficient of s^p times (2 fs)^p). Rows k and Order - k share their products.
template <int Order, class T>
__attribute__((always_inline)) inline void KestBilinearDenominator(const T* d, T* a) {
  static constexpr KestBilinearMatrix<Order> kMap;
#pragma GCC unroll 4
  for (int k = 0; 2 * k <= Order; ++k) {
    T even, odd;
    KestRowHalves(kMap.c, k, 0, Order, d, even, odd);
    a[k] = even + odd;
    if (2 * k != Order) a[Order - k] = even - odd;
  }
}

// The digital numerator b[0 .. Order] of the prototype numerator n[1 .. Order] (n[0] is absent:
// the prototype has no constant term). Rows k and Order - k share their products.
template <int Order, class T>
__attribute__((always_inline)) inline void KestBilinearNumerator(const T* n, T* b) {
  static constexpr KestBilinearMatrix<Order> kMap;
#pragma GCC unroll 4
  for (int k = 0; 2 * k <= Order; ++k) {
    T even, odd;
    KestRowHalves(kMap.c, k, 1, Order, n, even, odd);
    b[k] = even + odd;
    if (2 * k != Order) b[Order - k] = even - odd;
  }
}

// The running sums s[k] = b[0] + ... + b[k], k = 0 .. Order - 1, of the digital numerator of
// n[1 .. Order], computed directly. Because the prototype has no constant term, b[0] + ... +
// b[Order] is exactly zero, so the numerator is (1 - 1/z) times the polynomial with these
// coefficients: applied to input differences they keep the zero at DC exact whatever the
// rounding. Rows k and Order - 1 - k share their products.
template <int Order, class T>
__attribute__((always_inline)) inline void KestBilinearNumeratorSums(const T* n, T* s) {
  static constexpr KestBilinearSumsMatrix<Order> kSums;
#pragma GCC unroll 4
  for (int k = 0; 2 * k < Order; ++k) {
    T even, odd;
    KestRowHalves(kSums.r, k, 1, Order, n, even, odd);
    // The symmetric columns of this matrix are the odd ones.
    s[k] = odd + even;
    if (2 * k + 1 != Order) s[Order - 1 - k] = odd - even;
  }
}

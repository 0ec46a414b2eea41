#pragma once

#include <cmath>

namespace orbisk {

// A complex number of the projection spectra. A plain value: arrays of it are built and
// freed like arrays of any other struct.
template <typename T>
struct CComplex {
    T re = 0;
    T im = 0;

    constexpr CComplex() = default;
    constexpr CComplex(T real, T imaginary) : re(real), im(imaginary) {}

    constexpr CComplex& operator+=(const CComplex& o) {
        re += o.re;
        im += o.im;
        return *this;
    }
    constexpr CComplex& operator*=(const CComplex& o) {
        const T r = re * o.re - im * o.im;
        im = re * o.im + im * o.re;
        re = r;
        return *this;
    }
    friend constexpr CComplex operator-(const CComplex& a, const CComplex& b) {
        return CComplex(a.re - b.re, a.im - b.im);
    }
    friend constexpr CComplex operator*(CComplex a, const CComplex& b) { return a *= b; }

    T Magnitude() const { return std::sqrt(re * re + im * im); }
};

// The unscaled forward transform X_k = sum x_j e^(-2 pi i jk / n), in place, computed in
// 32-bit floats. False, with the values unchanged, unless n is a power of two.
bool FFTRadix2(CComplex<float>* values, int n);

}  // namespace orbisk

#include "recognition/fft.h"

#include <utility>

namespace orbisk {

bool FFTRadix2(CComplex<float>* values, int n) {
    if (n <= 0 || (n & (n - 1)) != 0 || values == nullptr) return false;
    if (n == 1) return true;

    // Bit-reversal order.
    int j = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (i < j) std::swap(values[i], values[j]);
        int m = n / 2;
        while (j >= m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }

    constexpr double kPi = 3.14159265358979323846;
    for (int h = 1; h < n; h *= 2) {
        const CComplex<float> step(static_cast<float>(std::cos(kPi / h)),
                                   static_cast<float>(-std::sin(kPi / h)));
        CComplex<float> w(1.0f, 0.0f);
        for (int m = 0; m < h; ++m) {
            for (int k = m; k < n; k += 2 * h) {
                const CComplex<float> t = w * values[k + h];
                values[k + h] = values[k] - t;
                values[k] += t;
            }
            w *= step;
        }
    }
    return true;
}

}  // namespace orbisk

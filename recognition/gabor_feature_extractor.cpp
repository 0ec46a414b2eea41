#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "recognition/feature_extractor.h"

namespace orbisk {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kOrientations = 4;
// Kernels grow with the wavelength (4 sigma + 1 = 2 lambda + 1); past this one a kernel is
// several times the 64 x 64 character and a corrupt key could ask for gigabytes.
constexpr int kMaxWavelength = 64;

bool ParseDecimal(std::string_view text, int32_t* value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end;
}

// The wavelengths first, first + step, ... up to and including last.
std::vector<int> WavelengthList(const GaborWavelengths& w) {
    std::vector<int> list;
    for (int i = 0; i < w.Count(); ++i) list.push_back(w.first + i * w.step);
    return list;
}

cv::Mat ImageAsMat(const OcrMatrix* image) {
    return cv::Mat(image->rows, image->cols, CV_8UC1, image->data);
}

bool UsableImage(const OcrMatrix* image, int cellRows, int cellCols) {
    return image != nullptr && image->type == kOcrUInt8 && image->data != nullptr &&
           image->rows >= cellRows && image->cols >= cellCols;
}

}  // namespace

GaborWavelengths ParseGaborKey(const std::string& key) {
    GaborWavelengths w;
    if (key.size() <= 4) return w;
    // prefix:first:step:last
    const size_t c1 = key.find(':');
    const size_t c2 = c1 == std::string::npos ? c1 : key.find(':', c1 + 1);
    const size_t c3 = c2 == std::string::npos ? c2 : key.find(':', c2 + 1);
    const std::string_view k(key);
    if (c3 == std::string::npos || key.find(':', c3 + 1) != std::string::npos ||
        !ParseDecimal(k.substr(c1 + 1, c2 - c1 - 1), &w.first) ||
        !ParseDecimal(k.substr(c2 + 1, c3 - c2 - 1), &w.step) ||
        !ParseDecimal(k.substr(c3 + 1), &w.last)) {
        w.valid = false;
        return w;
    }
    w.valid = w.step > 0 && w.first > 0 && w.first <= w.last && w.last <= kMaxWavelength;
    return w;
}

GaborKernelPair GaborKernel(double theta, double lambda, bool imaginaryWanted, bool subtractSum) {
    const double sigma = lambda / 2.0;
    const int size = static_cast<int>(std::trunc(4.0 * sigma + 1.0));
    const int half = size / 2;
    GaborKernelPair k;
    k.real.create(size, size, CV_32F);
    if (imaginaryWanted) k.imag.create(size, size, CV_32F);
    std::vector<double> real(static_cast<size_t>(size) * size);
    double sum = 0.0;
    const double c = std::cos(theta), s = std::sin(theta);
    for (int i = 0; i < size; ++i) {
        const double y = i - half;
        for (int j = 0; j < size; ++j) {
            const double x = j - half;
            const double xr = x * c + y * s;
            const double yr = -x * s + y * c;
            const double g = std::exp(-0.5 * (xr * xr + yr * yr) / (sigma * sigma));
            const double phase = 2.0 * kPi * xr / lambda;
            real[static_cast<size_t>(i) * size + j] = g * std::cos(phase);
            sum += g * std::cos(phase);
            if (imaginaryWanted) k.imag.at<float>(i, j) = static_cast<float>(g * std::sin(phase));
        }
    }
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            // The whole sum, not its mean, as the magnitude templates were trained with.
            const double v = real[static_cast<size_t>(i) * size + j] - (subtractSum ? sum : 0.0);
            k.real.at<float>(i, j) = static_cast<float>(v);
        }
    }
    return k;
}

cv::Mat ConvolveSame(const cv::Mat& image, const cv::Mat& kernel) {
    cv::Mat a;
    image.convertTo(a, CV_32F);
    const int kr = kernel.rows, kc = kernel.cols;
    const int dftRows = cv::getOptimalDFTSize(a.rows + kr - 1);
    const int dftCols = cv::getOptimalDFTSize(a.cols + kc - 1);
    cv::Mat pa = cv::Mat::zeros(dftRows, dftCols, CV_32F);
    cv::Mat pk = cv::Mat::zeros(dftRows, dftCols, CV_32F);
    a.copyTo(pa(cv::Rect(0, 0, a.cols, a.rows)));
    kernel.copyTo(pk(cv::Rect(0, 0, kc, kr)));
    cv::dft(pa, pa, 0, a.rows);
    cv::dft(pk, pk, 0, kr);
    cv::Mat spectrum;
    cv::mulSpectrums(pa, pk, spectrum, 0, false);
    cv::Mat full;
    cv::dft(spectrum, full, cv::DFT_INVERSE | cv::DFT_SCALE | cv::DFT_REAL_OUTPUT, a.rows + kr - 1);
    return full(cv::Rect(kc / 2, kr / 2, a.cols, a.rows)).clone();
}

void PoolCells(const cv::Mat& response, int rows, int cols, int gridRows, int gridCols,
               double sigma, PoolSign sign, float* output) {
    const int ch = rows / gridRows;
    const int cw = cols / gridCols;
    const double twoSigma2 = 2.0 * sigma * sigma;
    for (int i = 0; i < gridRows; ++i) {
        const double cy = (i * ch + (i + 1) * ch - 1) / 2.0;
        const int y0 = i == 0 ? 0 : i * ch - 2;
        const int y1 = i == gridRows - 1 ? (i + 1) * ch : (i + 1) * ch + 2;
        for (int j = 0; j < gridCols; ++j) {
            const double cx = (j * cw + (j + 1) * cw - 1) / 2.0;
            const int x0 = j == 0 ? 0 : j * cw - 2;
            const int x1 = j == gridCols - 1 ? (j + 1) * cw : (j + 1) * cw + 2;
            float total = 0.0f;
            for (int y = y0; y < y1; ++y) {
                const float* r = response.ptr<float>(y);
                for (int x = x0; x < x1; ++x) {
                    const float v = r[x];
                    if (sign == PoolSign::kPositive && !(v > 0)) continue;
                    if (sign == PoolSign::kNegative && !(v < 0)) continue;
                    const double w =
                        std::exp(-((y - cy) * (y - cy) + (x - cx) * (x - cx)) / twoSigma2);
                    const float product = static_cast<float>(w * v);
                    total += sign == PoolSign::kNegative ? std::fabs(product) : product;
                }
            }
            output[i * gridCols + j] = total;
        }
    }
}

CGaborMagFeatureExtractorImp::CGaborMagFeatureExtractorImp(const std::string& key)
    : wavelengths_(ParseGaborKey(key)) {}

OcrMatrixPtr CGaborMagFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (!IsValid() || !UsableImage(image, cellRows_, cellCols_)) return nullptr;
    const std::vector<int> lambdas = WavelengthList(wavelengths_);
    const int cells = cellRows_ * cellCols_;
    OcrMatrixPtr out(
        CreateOcrMatrix(kOcrFloat, 1, cells * kOrientations * static_cast<int>(lambdas.size())));
    if (!out) return nullptr;
    auto* f = static_cast<float*>(out->data);
    const cv::Mat img = ImageAsMat(image);
    const double sigma = std::sqrt(2.0) * (image->rows / cellRows_) / kPi;
    int n = 0;
    for (int o = 0; o < kOrientations; ++o) {
        for (const int lambda : lambdas) {
            const GaborKernelPair k = GaborKernel(o * kPi / 4, lambda, true, true);
            const cv::Mat re = ConvolveSame(img, k.real);
            const cv::Mat im = ConvolveSame(img, k.imag);
            cv::Mat magnitude;
            cv::magnitude(re, im, magnitude);
            PoolCells(magnitude, image->rows, image->cols, cellRows_, cellCols_, sigma,
                      PoolSign::kAll, f + cells * n);
            ++n;
        }
    }
    return out;
}

CGaborBFeatureExtractorImp::CGaborBFeatureExtractorImp(const std::string& key)
    : wavelengths_(ParseGaborKey(key)) {}

OcrMatrixPtr CGaborBFeatureExtractorImp::Extract(const OcrMatrix* image, int) {
    if (!IsValid() || !UsableImage(image, cellRows_, cellCols_)) return nullptr;
    const int cells = cellRows_ * cellCols_;
    OcrMatrixPtr out(CreateOcrMatrix(kOcrFloat, 1, cells * kOrientations * kMaxWavelengths * 2));
    if (!out) return nullptr;
    auto* f = static_cast<float*>(out->data);
    const cv::Mat img = ImageAsMat(image);
    const double sigma = 3.0 * (image->rows / cellRows_) / 8.0;
    int n = 0;
    for (int o = 0; o < kOrientations; ++o) {
        for (const int lambda : WavelengthList(wavelengths_)) {
            const GaborKernelPair k = GaborKernel(o * kPi / 4, lambda, false, false);
            const cv::Mat re = ConvolveSame(img, k.real);
            PoolCells(re, image->rows, image->cols, cellRows_, cellCols_, sigma,
                      PoolSign::kPositive, f + 2 * cells * n);
            PoolCells(re, image->rows, image->cols, cellRows_, cellCols_, sigma,
                      PoolSign::kNegative, f + 2 * cells * n + cells);
            ++n;
        }
    }
    return out;
}

}  // namespace orbisk

#include "tests/support/scene_generator.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace orbisk::test {
namespace {

constexpr int kShift = 4;  // sub-pixel bits for polygon drawing
constexpr double kPaper = 232;
constexpr double kInk = 45;
constexpr double kDeskNoise = 6;
const cv::Scalar kDarkDesk(46, 52, 58);

std::vector<cv::Point> ToFixed(const std::vector<cv::Point2f>& points) {
    std::vector<cv::Point> fixed;
    for (const cv::Point2f& p : points) {
        fixed.emplace_back(cvRound(p.x * (1 << kShift)), cvRound(p.y * (1 << kShift)));
    }
    return fixed;
}

void FillPolygon(cv::Mat& image, const std::vector<cv::Point2f>& points, const cv::Scalar& colour,
                 int lineType) {
    const std::vector<cv::Point> fixed = ToFixed(points);
    cv::fillConvexPoly(image, fixed, colour, lineType, kShift);
}

// Rows of bars of random length, like lines of text, inside an 8 % margin.
std::vector<cv::Rect2f> MakeBars(cv::Size2f size, cv::RNG& rng) {
    std::vector<cv::Rect2f> bars;
    const float margin = 0.08f * std::min(size.width, size.height);
    const float barHeight = std::max(4.0f, size.height * 0.02f);
    const float pitch = barHeight * 2.6f;
    const float usable = size.width - 2 * margin;
    for (float v = margin; v + barHeight <= size.height - margin; v += pitch) {
        const float length = usable * static_cast<float>(rng.uniform(0.4, 0.95));
        bars.emplace_back(margin, v, length, barHeight);
    }
    return bars;
}

std::vector<cv::Point2f> RectOnPage(const Page& page, const cv::Rect2f& r) {
    return {PageToImage(page, {r.x, r.y}), PageToImage(page, {r.x + r.width, r.y}),
            PageToImage(page, {r.x + r.width, r.y + r.height}),
            PageToImage(page, {r.x, r.y + r.height})};
}

// The light over the desk: it falls off from the top-left towards the
// bottom-right.
cv::Mat DeskLight(cv::Size size) {
    cv::Mat light(size, CV_32F);
    for (int y = 0; y < size.height; ++y) {
        float* row = light.ptr<float>(y);
        for (int x = 0; x < size.width; ++x) {
            row[x] = 1.05f - 0.25f * (static_cast<float>(x) / size.width * 0.6f +
                                      static_cast<float>(y) / size.height * 0.4f);
        }
    }
    return light;
}

// Multiplies the picture by a light field and adds Gaussian noise.
void LightAndNoise(cv::Mat& canvas, const cv::Mat& light, double sigma, cv::RNG& rng) {
    cv::Mat lit;
    cv::Mat light3;
    cv::merge(std::vector<cv::Mat>{light, light, light}, light3);
    cv::multiply(canvas, light3, lit);
    cv::Mat noise(lit.size(), CV_32FC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, sigma);
    lit += noise;
    lit.convertTo(canvas, CV_8UC3);
}

}  // namespace

cv::Point2f PageToImage(const Page& page, cv::Point2f uv) {
    const float w = page.size.width;
    const float h = page.size.height;
    const float dv = uv.y - h / 2;
    const float du = uv.x - w / 2 + page.shear * dv;
    const double a = page.angle * CV_PI / 180;
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    return {page.centre.x + du * c - dv * s, page.centre.y + du * s + dv * c};
}

Scene MakeScene(const SceneOptions& options) {
    cv::RNG rng(options.seed);
    const cv::Size size = options.size;
    Scene scene;

    // Desk colour, slightly warm, as floats so lighting and noise do not clip
    // too early.
    const cv::Scalar desk = options.lightDesk ? cv::Scalar(178, 184, 190) : kDarkDesk;
    cv::Mat canvas(size, CV_32FC3, desk);
    scene.pageMask = cv::Mat::zeros(size, CV_8U);
    scene.ink = cv::Mat::zeros(size, CV_8U);

    for (const Page& page : options.pages) {
        const float w = page.size.width;
        const float h = page.size.height;
        const std::vector<cv::Point2f> outline = RectOnPage(page, cv::Rect2f(0, 0, w, h));
        scene.corners.push_back({outline[0], outline[1], outline[2], outline[3]});
        FillPolygon(canvas, outline, cv::Scalar::all(kPaper), cv::LINE_AA);
        FillPolygon(scene.pageMask, outline, cv::Scalar(255), cv::LINE_8);
        FillPolygon(scene.ink, outline, cv::Scalar(0), cv::LINE_8);
        std::vector<cv::Rect2f> bars;
        if (page.textBars) bars = MakeBars(page.size, rng);
        for (const cv::Rect2f& bar : bars) {
            const std::vector<cv::Point2f> corners = RectOnPage(page, bar);
            FillPolygon(canvas, corners, cv::Scalar::all(kInk), cv::LINE_AA);
            FillPolygon(scene.ink, corners, cv::Scalar(255), cv::LINE_8);
        }
        scene.bars.push_back(bars);
    }

    LightAndNoise(canvas, DeskLight(size), kDeskNoise, rng);
    scene.image = canvas;
    return scene;
}

Scene MakeShadedPage(cv::Size size, unsigned seed) {
    cv::RNG rng(seed);
    Scene scene;
    Page page;
    page.centre = cv::Point2f(size.width / 2.0f, size.height / 2.0f);
    page.size = cv::Size2f(static_cast<float>(size.width), static_cast<float>(size.height));

    cv::Mat canvas(size, CV_32FC3, cv::Scalar::all(kPaper));
    scene.pageMask = cv::Mat(size, CV_8U, cv::Scalar(255));
    scene.ink = cv::Mat::zeros(size, CV_8U);
    // Text lines about 12 pixels high, like print at the camera's resolution.
    std::vector<cv::Rect2f> bars;
    const float margin = 40;
    const float barHeight = 12;
    for (float v = margin; v + barHeight <= size.height - margin; v += barHeight * 2.5f) {
        // Each line is broken into words.
        float u = margin;
        const float end = size.width - margin - static_cast<float>(rng.uniform(0, size.width / 3));
        while (u < end) {
            const float word = static_cast<float>(rng.uniform(20, 90));
            bars.emplace_back(u, v, std::min(word, end - u), barHeight);
            u += word + static_cast<float>(rng.uniform(10, 18));
        }
    }
    for (const cv::Rect2f& bar : bars) {
        const cv::Rect r(cvRound(bar.x), cvRound(bar.y), cvRound(bar.width), cvRound(bar.height));
        cv::rectangle(canvas, r, cv::Scalar::all(kInk), cv::FILLED);
        cv::rectangle(scene.ink, r, cv::Scalar(255), cv::FILLED);
    }
    scene.corners.push_back({cv::Point2f(0, 0), cv::Point2f(page.size.width, 0),
                             cv::Point2f(page.size.width, page.size.height),
                             cv::Point2f(0, page.size.height)});
    scene.bars.push_back(bars);

    // A lamp near the top-left corner: light falls to about half at the far
    // corner.
    cv::Mat light(size, CV_32F);
    const double diagonal = std::hypot(size.width, size.height);
    for (int y = 0; y < size.height; ++y) {
        float* row = light.ptr<float>(y);
        for (int x = 0; x < size.width; ++x) {
            const double d = std::hypot(x + 0.1 * size.width, y + 0.1 * size.height) / diagonal;
            row[x] = static_cast<float>(1.05 - 0.5 * d * d);
        }
    }
    LightAndNoise(canvas, light, 4.0, rng);
    scene.image = canvas;
    return scene;
}

cv::Mat MakeEmptyDesk(EmptyDesk kind, cv::Size size, unsigned seed) {
    cv::RNG rng(seed);
    cv::Mat canvas(size, CV_32FC3, kDarkDesk);
    double noise = kDeskNoise;
    const auto shade = [&](const auto& brightness) {
        for (int y = 0; y < size.height; ++y) {
            cv::Vec3f* row = canvas.ptr<cv::Vec3f>(y);
            for (int x = 0; x < size.width; ++x) row[x] *= brightness(x, y);
        }
    };
    switch (kind) {
        case EmptyDesk::PlainDark:
            break;
        case EmptyDesk::SensorNoise:
            noise = 14;
            break;
        case EmptyDesk::Wood:
        case EmptyDesk::JpegArtefacts: {
            // Grain runs along x and wanders; a few streaks are darker.
            canvas.setTo(cv::Scalar(50, 85, 125));
            const double period = 60;
            const double phase = rng.uniform(0.0, 2 * CV_PI);
            std::vector<double> streaks;
            for (int i = 0; i < 8; ++i) streaks.push_back(rng.uniform(0.0, size.height + 0.0));
            shade([&](int x, int y) {
                const double wander = 40 * std::sin(x / 310.0 + phase) + 12 * std::sin(x / 57.0);
                const double v = y + wander;
                double b = 1 + 0.15 * std::sin(2 * CV_PI * v / period) +
                           0.08 * std::sin(2 * CV_PI * v / (period * 3.7) + phase);
                for (const double s : streaks) b -= 0.2 * std::exp(-std::pow((v - s) / 8, 2));
                return static_cast<float>(b);
            });
            break;
        }
        case EmptyDesk::StripedCloth: {
            // Stripes 60 pixels wide with soft edges and a fine weave, gently
            // folded.
            canvas.setTo(cv::Scalar(120, 105, 95));
            shade([&](int x, int y) {
                const double u = x + 14 * std::sin(y / 170.0);
                const double stripe = 0.5 + 0.5 * std::tanh(3 * std::sin(2 * CV_PI * u / 120));
                const double weave = 0.04 * ((x + y) % 4 < 2 ? 1 : -1);
                return static_cast<float>(1 - 0.3 * stripe + weave);
            });
            break;
        }
        case EmptyDesk::ShadowEdge: {
            // The shadow of the camera arm: 40 % darker, a 50-pixel penumbra.
            canvas.setTo(cv::Scalar(110, 115, 120));
            const double slope = std::tan(20 * CV_PI / 180);
            shade([&](int x, int y) {
                const double d = x - size.width * 0.55 - slope * (y - size.height / 2.0);
                return static_cast<float>(1 - 0.4 * (0.5 + 0.5 * std::tanh(d / 25)));
            });
            break;
        }
    }
    LightAndNoise(canvas, DeskLight(size), noise, rng);
    cv::Mat image = canvas;
    if (kind == EmptyDesk::JpegArtefacts) {
        std::vector<unsigned char> jpeg;
        cv::imencode(".jpg", image, jpeg, {cv::IMWRITE_JPEG_QUALITY, 15});
        image = cv::imdecode(jpeg, cv::IMREAD_COLOR);
    }
    return image;
}

}  // namespace orbisk::test

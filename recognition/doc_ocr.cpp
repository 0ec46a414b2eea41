#include "recognition/doc_ocr.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include <opencv2/imgproc.hpp>

namespace orbisk {
namespace {

constexpr int kTrim = 30;
constexpr int kTrimOnlyAbove = 60;
constexpr int kThresholdBlock = 31;
// A recognition that fails leaves its turn at "no match", so the blob cannot look decisive.
constexpr double kNoMatch = 1.0;

}  // namespace

cv::Mat RotateMat90(const cv::Mat& src) {
    if (src.empty()) return cv::Mat();
    cv::Mat dst;
    cv::rotate(src, dst, cv::ROTATE_90_COUNTERCLOCKWISE);
    return dst;
}

cv::Mat RotateMat180(const cv::Mat& src) {
    if (src.empty()) return cv::Mat();
    cv::Mat dst;
    cv::rotate(src, dst, cv::ROTATE_180);
    return dst;
}

cv::Mat RotateMat270(const cv::Mat& src) {
    if (src.empty()) return cv::Mat();
    cv::Mat dst;
    cv::rotate(src, dst, cv::ROTATE_90_CLOCKWISE);
    return dst;
}

int OrientationVote::BestTurn(const std::array<double, 4>& values) {
    int best = 0;
    for (int i = 1; i < 4; ++i) {
        if (values[i] < values[best]) best = i;
    }
    return best * 90;
}

OrientationVote::Step OrientationVote::Add(const std::array<double, 4>& d) {
    if (decided_ || votes_ >= kVotes) return Step::kEnough;
    const int angle = BestTurn(d);
    const double best = d[angle / 90];
    // The nearest distance above the best, with 1.0 as "no match".
    double second = 1.0;
    for (const double v : d) {
        if (v > best && std::fabs(second - best) > std::fabs(v - best)) second = v;
    }
    if (best > kMaxBest) return Step::kSkipped;
    if (best / second > kMaxRatio) return Step::kSkipped;
    if (best < kDecisiveBest && best / second < kDecisiveRatio) {
        decided_ = true;
        decidedAngle_ = angle;
        return Step::kDecided;
    }
    for (int i = 0; i < 4; ++i) sums_[i] += d[i];
    ++votes_;
    return votes_ >= kVotes ? Step::kEnough : Step::kVoted;
}

bool OrientationVote::Result(int* angle) const {
    if (decided_) {
        *angle = decidedAngle_;
        return true;
    }
    if (votes_ == 0) return false;
    *angle = BestTurn(sums_);
    return true;
}

CDocOCR::~CDocOCR() {
    if (engine_) engine_->Release();
}

bool CDocOCR::Initialize(const char* templatePath) {
    if (engine_) {
        engine_->Release();
        engine_.reset();
    }
    auto engine = std::make_unique<COCREngine>();
    if (engine->Load(templatePath)) {
        engine_ = std::move(engine);
        return true;
    }
    std::fputs("[CDocOCR::Initialize] 初始化字符模板失败\n", stdout);
    std::fflush(stdout);
    return false;
}

bool CDocOCR::Initialize(std::unique_ptr<COCREngine> engine) {
    if (engine_) {
        engine_->Release();
        engine_.reset();
    }
    engine_ = std::move(engine);
    return engine_ != nullptr;
}

bool CDocOCR::RecognizeBlob(cv::Mat blob, int n, std::string* labels,
                            std::vector<double>* distances) const {
    if (!engine_ || n < 1 || blob.empty() || blob.type() != CV_8UC1) return false;
    const cv::Mat contiguous = blob.isContinuous() ? blob : blob.clone();
    std::vector<char> labelBuffer(2 * static_cast<size_t>(n) + 1, '\0');
    std::vector<double> distanceBuffer(static_cast<size_t>(n), 0.0);
    if (!engine_->Recognize(contiguous.data, contiguous.cols, contiguous.rows, labelBuffer.data(),
                            n, distanceBuffer.data())) {
        return false;
    }
    if (labels != nullptr) *labels = labelBuffer.data();
    if (distances != nullptr) {
        distances->insert(distances->end(), distanceBuffer.begin(), distanceBuffer.end());
    }
    return true;
}

std::vector<cv::Rect> CDocOCR::FindBlobs(const cv::Mat& grey, bool blobsFromGrey) const {
    std::vector<cv::Rect> boxes;
    if (grey.empty() || grey.type() != CV_8UC1) return boxes;
    cv::Mat mask;
    if (blobsFromGrey) {
        mask = 255 - grey;
    } else {
        cv::Mat binary;
        cv::adaptiveThreshold(grey, binary, 255, cv::ADAPTIVE_THRESH_GAUSSIAN_C, cv::THRESH_BINARY,
                              kThresholdBlock, adaptiveC_);
        mask = 255 - binary;
    }
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
    for (const auto& contour : contours) {
        const cv::Rect box = cv::boundingRect(contour);
        const int w = box.width, h = box.height;
        if (w * h < minBlobArea_) continue;
        if (static_cast<float>(w) / h < minAspect_ || static_cast<float>(h) / w < minAspect_) {
            continue;
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::array<double, 4> CDocOCR::ReadTurns(const cv::Mat& crop) const {
    const cv::Mat turns[4] = {crop, RotateMat90(crop), RotateMat180(crop), RotateMat270(crop)};
    std::array<double, 4> dist = {kNoMatch, kNoMatch, kNoMatch, kNoMatch};
    for (int i = 0; i < 4; ++i) {
        std::vector<double> found;
        if (RecognizeBlob(turns[i], 1, nullptr, &found) && !found.empty()) dist[i] = found[0];
    }
    return dist;
}

bool CDocOCR::Detect(cv::Mat page, int* angle, bool blobsFromGrey) const {
    if (angle == nullptr) return false;
    *angle = 0;
    if (page.empty() || !engine_) return false;
    // Anything else would raise an OpenCV exception on the worker thread.
    if (page.depth() != CV_8U ||
        (page.channels() != 1 && page.channels() != 3 && page.channels() != 4)) {
        return false;
    }

    // The camera's border is cut at the left and top only.
    cv::Rect region(0, 0, page.cols, page.rows);
    if (page.cols > kTrimOnlyAbove) {
        region.x = kTrim;
        region.width = page.cols - kTrim;
    }
    if (page.rows > kTrimOnlyAbove) {
        region.y = kTrim;
        region.height = page.rows - kTrim;
    }
    const cv::Mat work = page(region);
    cv::Mat grey;
    if (work.channels() == 3) {
        cv::cvtColor(work, grey, cv::COLOR_BGR2GRAY);
    } else if (work.channels() == 4) {
        cv::cvtColor(work, grey, cv::COLOR_BGRA2GRAY);
    } else {
        grey = work;
    }
    OrientationVote vote;
    for (const cv::Rect& box : FindBlobs(grey, blobsFromGrey)) {
        // Recognised on 255 - grey, inverted crop by crop.
        const OrientationVote::Step step = vote.Add(ReadTurns(255 - grey(box)));
        if (step == OrientationVote::Step::kDecided || step == OrientationVote::Step::kEnough) {
            break;
        }
    }
    return vote.Result(angle);
}

}  // namespace orbisk

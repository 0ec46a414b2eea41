#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "recognition/ocr_engine.h"

namespace orbisk {

// Quarter turns of 8-bit images of any channel count; an empty input gives an empty image.
cv::Mat RotateMat90(const cv::Mat& src);  // counter-clockwise
cv::Mat RotateMat180(const cv::Mat& src);
cv::Mat RotateMat270(const cv::Mat& src);  // clockwise

// The decision over a page's blobs, fed one blob at a time with its distances for the four
// turns 0, 90, 180 and 270. A blob clearly recognised in one turn decides at once; otherwise
// up to five blobs vote with their summed distances.
class OrientationVote {
  public:
    enum class Step {
        kSkipped,  // the blob is not clear enough to count
        kVoted,
        kDecided,  // this blob decided; the angle is final
        kEnough,   // the fifth vote: stop scanning
    };
    static constexpr double kMaxBest = 0.32;
    static constexpr double kMaxRatio = 0.85;
    static constexpr double kDecisiveBest = 0.2;
    static constexpr double kDecisiveRatio = 0.4;
    static constexpr int kVotes = 5;

    Step Add(const std::array<double, 4>& distances);
    // The decided angle, or the smallest sum's after voting; false when no blob voted.
    bool Result(int* angle) const;
    // The turn with the smallest value; ties keep the earlier of 0, 90, 180, 270.
    static int BestTurn(const std::array<double, 4>& values);

  private:
    std::array<double, 4> sums_{};
    int votes_ = 0;
    bool decided_ = false;
    int decidedAngle_ = 0;
};

// Decides in which of four quarter-turns a photographed text page reads upright, by
// recognising character-sized blobs in each turn.
class CDocOCR {
  public:
    CDocOCR() = default;
    ~CDocOCR();
    CDocOCR(const CDocOCR&) = delete;
    CDocOCR& operator=(const CDocOCR&) = delete;

    // Loads the recognition template; on failure prints a line to the standard output.
    bool Initialize(const char* templatePath);
    // Takes an engine that is already loaded (false for none).
    bool Initialize(std::unique_ptr<COCREngine> engine);

    // `page`: the cropped page (or the whole frame when no page was found), 8-bit with 1, 3
    // (BGR) or 4 (BGRA) channels. True when an angle was decided: 0, 90, 180 or 270, the
    // counter-clockwise turn after which the characters read upright.
    bool Detect(cv::Mat page, int* angle, bool blobsFromGrey) const;

    // The boxes of the character-sized blobs of a grey page, in the order found: the ink
    // marked by the adaptive threshold (or, with `blobsFromGrey`, all that is not white),
    // each blob at least 484 pixels of box and nearly square. Detect recognises the crops of
    // 255 - grey at these boxes; the trainer of the template cuts its samples the same way.
    std::vector<cv::Rect> FindBlobs(const cv::Mat& grey, bool blobsFromGrey) const;

    // Recognises one 8-bit single-channel image; appends n distances on success.
    bool RecognizeBlob(cv::Mat blob, int n, std::string* labels,
                       std::vector<double>* distances) const;

    // The distances of a blob's crop (255 - grey) read unturned and turned 90, 180 and 270
    // degrees, as Detect reads them: 1.0 (no match) where recognition fails.
    std::array<double, 4> ReadTurns(const cv::Mat& crop) const;

  private:
    int32_t adaptiveC_ = 18;
    int32_t minBlobArea_ = 484;
    float minAspect_ = 0.85f;
    std::unique_ptr<COCREngine> engine_;
};

}  // namespace orbisk

#include "app/continuous_shoot/new_page_rule.h"

#include <opencv2/imgproc.hpp>

#include <utility>

#include "imaging/frame_statistics.h"
#include "platform/window_messages.h"

namespace orbisk {

NewPageVerdict DecideNewPage(bool present, bool sameAsThreeAgo, bool sameAsTwoAgo) {
    if (!present) return NewPageVerdict::kNoDocument;
    if (!sameAsThreeAgo && sameAsTwoAgo) return NewPageVerdict::kShoot;
    if (sameAsThreeAgo && sameAsTwoAgo) return NewPageVerdict::kSameDocument;
    return NewPageVerdict::kMoving;
}

bool NewPageInspector::Same(const Reduced& earlier, const Reduced& now) const {
    return IsFrameUnchanged(earlier.sampled, now.sampled, kChangeFraction, kChangeDifference) &&
           !HaveStrokesChanged(earlier.averaged, now.averaged, kStrokeFraction, kStrokeDifference);
}

NewPageVerdict NewPageInspector::Inspect(const cv::Mat& frame) {
    Reduced reduced;
    if (!frame.empty()) {
        cv::resize(frame, reduced.sampled, cv::Size(), kFrameScale, kFrameScale, cv::INTER_LINEAR);
        cv::resize(frame, reduced.averaged, cv::Size(), kFrameScale, kFrameScale, cv::INTER_AREA);
    }
    const bool present = IsDocumentPresent(reduced.sampled, kAreaRatio, kDetection);
    const bool sameAsThreeAgo = Same(history_[0], reduced);
    const bool sameAsTwoAgo = Same(history_[1], reduced);

    history_[0] = std::move(history_[1]);
    history_[1] = std::move(history_[2]);
    history_[2] = std::move(reduced);
    return DecideNewPage(present, sameAsThreeAgo, sameAsTwoAgo);
}

void PostVerdict(NewPageVerdict verdict, QObject* owner, QObject* dialog) {
    using platform::PostWindowMessage;
    using platform::WM_SHOOT_REQUEST;
    using platform::WM_SHOOT_STATUS;
    switch (verdict) {
        case NewPageVerdict::kShoot:
            PostWindowMessage(owner, WM_SHOOT_REQUEST, 0, 0);
            PostWindowMessage(dialog, WM_SHOOT_STATUS, 0,
                              static_cast<int>(ShootStatus::kNewDocument));
            break;
        case NewPageVerdict::kNoDocument:
            PostWindowMessage(dialog, WM_SHOOT_STATUS, 0,
                              static_cast<int>(ShootStatus::kNoDocument));
            break;
        case NewPageVerdict::kSameDocument:
            PostWindowMessage(dialog, WM_SHOOT_STATUS, 0,
                              static_cast<int>(ShootStatus::kSameDocument));
            break;
        case NewPageVerdict::kMoving:
            break;
    }
}

}  // namespace orbisk

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

NewPageVerdict NewPageInspector::Inspect(const cv::Mat& frame) {
    cv::Mat reduced;
    if (!frame.empty()) {
        cv::resize(frame, reduced, cv::Size(), kFrameScale, kFrameScale, cv::INTER_LINEAR);
    }
    const bool present = IsDocumentPresent(reduced, kAreaRatio, kDetection);
    const bool sameAsThreeAgo =
        IsFrameUnchanged(history_[0], reduced, kChangeFraction, kChangeDifference);
    const bool sameAsTwoAgo =
        IsFrameUnchanged(history_[1], reduced, kChangeFraction, kChangeDifference);

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

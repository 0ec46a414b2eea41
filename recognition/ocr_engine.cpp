#include "recognition/ocr_engine.h"

#include "recognition/ascii_key.h"
#include "recognition/factories.h"
#include "recognition/ocr_mqdf.h"
#include "recognition/ocr_multi_tpl.h"

namespace orbisk {

COCREngine::COCREngine(std::unique_ptr<COCRInterface> classifier)
    : classifier_(std::move(classifier)) {}

COCREngine::~COCREngine() = default;

bool COCREngine::Load(const char* path) {
    classifier_.reset();
    if (path == nullptr) return false;
    OcrMatrixPtr tag;
    {
        std::unique_ptr<CFileOperator> file = CreateFileOperator("Cmm");
        if (!file || file->Open(path, false) != 0) return false;
        tag = file->ReadRecord();
        file->Close();
    }
    if (!IsTextRecord(tag.get())) return false;
    const std::string kind = TextOfRecord(tag.get());
    if (EqualsIgnoreCaseAscii(kind, "NEW")) {
        classifier_ = std::make_unique<COCRMultiTpl>();
    } else if (EqualsIgnoreCaseAscii(kind, "NEW:MQDF") ||
               EqualsIgnoreCaseAscii(kind, "NEW:RLDA_PLUS_MQDF")) {
        classifier_ = std::make_unique<COCRMQDF>();
    } else {
        return false;
    }
    if (classifier_->Load(path)) return true;
    classifier_.reset();
    return false;
}

bool COCREngine::Recognize(const unsigned char* ink, int width, int height, char* labels, int n,
                           double* distances) {
    if (!classifier_) return false;
    return classifier_->Recognize(ink, width, height, labels, n, distances);
}

void COCREngine::Release() {
    if (classifier_) classifier_->Release();
}

}  // namespace orbisk

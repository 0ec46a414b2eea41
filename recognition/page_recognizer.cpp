#include "recognition/page_recognizer.h"

#include "recognition/image_resolution.h"

#include <tesseract/baseapi.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdlib>
#include <vector>

namespace orbisk {
namespace {

constexpr char kDebianTessdata[] = "/usr/share/tesseract-ocr/5/tessdata";

// 8-bit grey or RGB, as the engine takes pages.
cv::Mat EnginePage(const cv::Mat& page) {
    cv::Mat eight;
    if (page.depth() == CV_8U) {
        eight = page;
    } else if (page.depth() == CV_16U) {
        page.convertTo(eight, CV_8U, 1.0 / 257);
    } else {
        page.convertTo(eight, CV_8U);
    }
    cv::Mat out;
    switch (eight.channels()) {
        case 1:
            out = eight;
            break;
        case 3:
            cv::cvtColor(eight, out, cv::COLOR_BGR2RGB);
            break;
        case 4:
            cv::cvtColor(eight, out, cv::COLOR_BGRA2RGB);
            break;
        default:
            break;
    }
    return out.isContinuous() ? out : out.clone();
}

}  // namespace

CPageRecognizer::CPageRecognizer(std::string dataPath, std::string languages)
    : dataPath_(std::move(dataPath)), languages_(std::move(languages)) {}

CPageRecognizer::~CPageRecognizer() {
    if (api_) api_->End();
}

bool CPageRecognizer::Start() {
    std::lock_guard lock(mutex_);
    return StartLocked();
}

bool CPageRecognizer::StartLocked() {
    if (api_) return true;
    // Tesseract would look in its own default folder instead.
    if (dataPath_.empty()) return false;
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(dataPath_.c_str(), languages_.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
        api->End();
        return false;
    }
    // Its progress notes would fill the standard error page by page.
    api->SetVariable("debug_file", "/dev/null");
    // Chinese text comes without blanks between its characters.
    api->SetVariable("preserve_interword_spaces", "1");
    api_ = std::move(api);
    return true;
}

std::optional<std::string> CPageRecognizer::RecognizeFile(const std::string& path) {
    // The file first: a file that cannot be read needs no models.
    std::vector<cv::Mat> pages;
    try {
        if (path.empty() || !cv::imreadmulti(path, pages, cv::IMREAD_ANYCOLOR) || pages.empty()) {
            return std::nullopt;
        }
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    if (!StartLocked()) return std::nullopt;
    const std::vector<int> dpi = PageResolutions(path);
    std::string text;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const cv::Mat page = EnginePage(pages[i]);
        if (page.empty()) return std::nullopt;
        api_->SetImage(page.data, page.cols, page.rows, page.channels(),
                       static_cast<int>(page.step));
        if (i < dpi.size() && dpi[i] > 0) api_->SetSourceResolution(dpi[i]);
        const std::unique_ptr<char[]> recognised(api_->GetUTF8Text());
        api_->Clear();
        if (!recognised) return std::nullopt;
        text += recognised.get();
    }
    return text;
}

std::string DefaultTessdataPath() {
    const char* prefix = std::getenv("TESSDATA_PREFIX");
    return prefix != nullptr && *prefix != '\0' ? std::string(prefix)
                                                : std::string(kDebianTessdata);
}

CPageRecognizer& ProcessPageRecognizer() {
    static CPageRecognizer recognizer(DefaultTessdataPath());
    return recognizer;
}

std::optional<std::string> MODIRecognizeFile(const std::string& path) {
    return ProcessPageRecognizer().RecognizeFile(path);
}

}  // namespace orbisk

#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tesseract {
class TessBaseAPI;
}

namespace orbisk {

// The models of the page recognition: simplified Chinese, which reads the
// Latin letters and digits of English pages as well.
inline constexpr char kPageLanguages[] = "chi_sim";

// Whole-page text recognition of image files (Tesseract). The models load at
// the first page (about a second) and stay loaded; one caller recognises at
// a time, from any thread.
class CPageRecognizer {
  public:
    // `dataPath`: the folder of the ".traineddata" files.
    explicit CPageRecognizer(std::string dataPath, std::string languages = kPageLanguages);
    ~CPageRecognizer();
    CPageRecognizer(const CPageRecognizer&) = delete;
    CPageRecognizer& operator=(const CPageRecognizer&) = delete;

    // The recognised text (UTF-8) of every page of the image file, page after
    // page without a separator; empty for blank pages. No value when the
    // engine cannot start (an empty data path, models missing there) or the
    // file cannot be read.
    std::optional<std::string> RecognizeFile(const std::string& path);

    // Loads the models unless they are loaded; false when they cannot be.
    bool Start();

  private:
    bool StartLocked();

    std::mutex mutex_;
    const std::string dataPath_;
    const std::string languages_;
    std::unique_ptr<tesseract::TessBaseAPI> api_;
};

// Where the models are: $TESSDATA_PREFIX when set, else the Debian package's
// folder.
std::string DefaultTessdataPath();

// The program's recogniser, one for the process, on DefaultTessdataPath().
CPageRecognizer& ProcessPageRecognizer();

// The text of all pages of the image file at `path` by the program's
// recogniser; no value when it failed.
std::optional<std::string> MODIRecognizeFile(const std::string& path);

}  // namespace orbisk

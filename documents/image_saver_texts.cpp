// The save pipeline's own operator texts.

#include "documents/image_saver.h"

namespace orbisk {
namespace {

struct SaverTexts {
    const char* specialCharacters;
    const char* savedIn;
    const char* notRecognised;
    const char* notSavedIn;  // the barcode text file could not be written
};

// By language: simplified Chinese, traditional Chinese, English.
constexpr SaverTexts kTexts[] = {
    {"条形码/二维码中含有特殊字符，不能作为文件名", "条形码/二维码内容保存在",
     "没有识别出条形码/二维码", "条形码/二维码内容无法保存在"},
    {"條碼/二維碼中含有特殊字元不能作為檔案名", "條碼/二維碼內容儲存在", "沒有識別出條碼/二維碼",
     "條碼/二維碼內容無法儲存在"},
    {"Barcode/QR-code contains special characters so that can not be used as file name",
     "Barcode/QR-code saved in", "It does not recognize a barcode/QR-code",
     "Barcode/QR-code could not be saved in"},
};

}  // namespace

void CImageSaver::LoadTexts(int language) {
    if (language < 0 || language >= static_cast<int>(std::size(kTexts))) {
        return;
    }
    const SaverTexts& texts = kTexts[language];
    specialCharactersText_ = QString::fromUtf8(texts.specialCharacters);
    savedInText_ = QString::fromUtf8(texts.savedIn);
    notRecognisedText_ = QString::fromUtf8(texts.notRecognised);
    notSavedInText_ = QString::fromUtf8(texts.notSavedIn);
}

}  // namespace orbisk

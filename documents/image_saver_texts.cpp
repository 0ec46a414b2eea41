// The save pipeline's own operator texts.

#include "documents/image_saver.h"
#include "platform/language_text.h"

namespace orbisk {
namespace {

using platform::LanguageText;

constexpr LanguageText kSpecialCharacters{
    "条形码/二维码中含有特殊字符，不能作为文件名", "條碼/二維碼中含有特殊字元不能作為檔案名",
    "Barcode/QR-code contains special characters so that can not be used as file name"};
constexpr LanguageText kSavedIn{"条形码/二维码内容保存在", "條碼/二維碼內容儲存在",
                                "Barcode/QR-code saved in"};
constexpr LanguageText kNotRecognised{"没有识别出条形码/二维码", "沒有識別出條碼/二維碼",
                                      "It does not recognize a barcode/QR-code"};
// The barcode text file could not be written.
constexpr LanguageText kNotSavedIn{"条形码/二维码内容无法保存在", "條碼/二維碼內容無法儲存在",
                                   "Barcode/QR-code could not be saved in"};

}  // namespace

void CImageSaver::LoadTexts(int language) {
    if (!platform::IsLanguageIndex(language)) {
        return;
    }
    specialCharactersText_ = kSpecialCharacters.In(language);
    savedInText_ = kSavedIn.In(language);
    notRecognisedText_ = kNotRecognised.In(language);
    notSavedInText_ = kNotSavedIn.In(language);
}

}  // namespace orbisk

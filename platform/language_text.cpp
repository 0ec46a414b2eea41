#include "platform/language_text.h"

namespace orbisk::platform {

QString LanguageText::In(int language) const {
    const char* text = language == 1 ? traditional : language == 2 ? english : simplified;
    return QString::fromUtf8(text);
}

}  // namespace orbisk::platform

#include "app/startup_messages.h"

#include "platform/language_text.h"

namespace orbisk {

QString StartupMessageText(StartupMessage message, int language) {
    static constexpr platform::LanguageText kTexts[] = {
        {"无法读取或创建设置文件 Sys.ini，程序将退出。",
         "無法讀取或建立設定檔 Sys.ini，程式將結束。",
         "The settings file Sys.ini can be neither read nor created. The program will close."},
    };
    return kTexts[static_cast<int>(message)].In(language);
}

}  // namespace orbisk

#include "app/startup_messages.h"

#include "tests/support/case_name.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

struct MessageCase {
    const char* name;
    StartupMessage message;
    int language;
    const char* expected;
};

class StartupMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(StartupMessageTest, ReadsInTheLanguage) {
    const MessageCase& c = GetParam();
    EXPECT_EQ(StartupMessageText(c.message, c.language), QString::fromUtf8(c.expected));
}

constexpr auto kSettings = StartupMessage::SettingsUnavailable;

INSTANTIATE_TEST_SUITE_P(
    Texts, StartupMessageTest,
    testing::Values(
        MessageCase{"settings", kSettings, 0, "无法读取或创建设置文件 Sys.ini，程序将退出。"},
        MessageCase{"settings", kSettings, 1, "無法讀取或建立設定檔 Sys.ini，程式將結束。"},
        MessageCase{"settings", kSettings, 2,
                    "The settings file Sys.ini can be neither read nor created. The program "
                    "will close."},
        // Any other index reads simplified Chinese.
        MessageCase{"settings", kSettings, 3, "无法读取或创建设置文件 Sys.ini，程序将退出。"},
        MessageCase{"settings", kSettings, -1, "无法读取或创建设置文件 Sys.ini，程序将退出。"}),
    [](const auto& info) {
        return test::CaseName(info.param.name, "language", info.param.language);
    });

}  // namespace
}  // namespace orbisk

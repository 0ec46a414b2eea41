// Another program puts a named pipe where the program reads or creates one of
// its files at start-up: the read fails at once, as for a file that cannot be
// read, instead of waiting for the pipe's other end.

#include "core/branding_data.h"
#include "core/sys_settings.h"
#include "platform/ini_document.h"
#include "tests/support/pipe_in_place.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace orbisk {
namespace {

struct PipeCase {
    const char* name;
    const char* file;
    // Reads (or makes) the file at the path; true when it was refused.
    std::function<bool(const QString& path)> refused;
    friend void PrintTo(const PipeCase& c, std::ostream* os) { *os << c.name; }
};

class PipeInPlaceOfAFileTest : public testing::TestWithParam<PipeCase> {};

TEST_P(PipeInPlaceOfAFileTest, IsRefusedAtOnce) {
    test::TempDir dir;
    const QString path = dir.File(QString::fromLatin1(GetParam().file));
    test::PipeInPlace pipe(path);
    ASSERT_TRUE(pipe.Made());
    bool refused = false;
    EXPECT_TRUE(pipe.EndsByItself([&] { refused = GetParam().refused(path); }))
        << "waited for the pipe's other end";
    EXPECT_TRUE(refused);
}

INSTANTIATE_TEST_SUITE_P(
    StartUpFiles, PipeInPlaceOfAFileTest,
    testing::Values(PipeCase{"BrandingFile", "data.dat",
                             [](const QString& path) { return CBrandingData().Load(path) == -1; }},
                    // Made when missing: opened for writing, a pipe waits for a reader.
                    PipeCase{"SettingsFileMadeSure", "Sys.ini",
                             [](const QString& path) { return !SysSettings().EnsureFile(path); }},
                    PipeCase{"SettingsFileRead", "Sys.ini",
                             [](const QString& path) {
                                 platform::IniDocument doc;
                                 return !doc.Load(path);
                             }}),
    [](const testing::TestParamInfo<PipeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orbisk

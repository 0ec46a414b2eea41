#pragma once

#include "tests/support/main_window/main_window_test.h"

#include <memory>

namespace orbisk::test {

// A main window in English after its start-up on a fake document and portrait
// camera, under the caption "Cam".
class StartedWindowTest : public MainWindowTest {
  protected:
    StartedWindowTest() {
        branding_.caption = QStringLiteral("Cam");
        WithPortraitCamera();
        ini_["Language"]["Current"] = QStringLiteral("EN");
    }

    std::unique_ptr<COrbiskDlg> Start() {
        auto dlg = StartWindow();
        EXPECT_TRUE(completed_) << shown_.join('\n').toStdString();
        return dlg;
    }
};

}  // namespace orbisk::test

#pragma once

#include "tests/support/main_window/main_window_test.h"

#include <gtest/gtest.h>
#include <QDir>
#include <opencv2/imgproc.hpp>

namespace orbisk::test {

// A page as a camera cuts it out: light paper with dark lines, and a
// coloured block so that pages of different shades differ.
inline cv::Mat CutOut(int cols, int rows, int shade = 0) {
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(230, 232, 228));
    for (int y = rows / 6; y + 6 < rows - rows / 6; y += 20) {
        cv::rectangle(page, cv::Rect(cols / 10, y, cols * 8 / 10, 6), cv::Scalar(40, 40, 40),
                      cv::FILLED);
    }
    cv::rectangle(page, cv::Rect(cols / 10, rows / 10, cols / 4, rows / 8),
                  cv::Scalar(40 * shade % 255, 120, 200 - 30 * shade % 200), cv::FILLED);
    return page;
}

// A main window on a fake document camera (and a portrait camera when asked)
// whose captures cut out a page, named by prefix and number.
class CaptureWindowTest : public MainWindowTest {
  protected:
    CaptureWindowTest() {
        cameras_.resolution = {1920, 1080};
        cameras_.cutOuts = {CutOut(400, 300)};
        ini_["FILE"]["TypeofImageName"] = QStringLiteral("0");
        ini_["IMAGE"]["DocCamWidth"] = QStringLiteral("1920");
        ini_["IMAGE"]["DocCamHeight"] = QStringLiteral("1080");
        ini_["IMAGE"]["PorCamWidth"] = QStringLiteral("640");
        ini_["IMAGE"]["PorCamHeight"] = QStringLiteral("480");
    }
    ~CaptureWindowTest() override {
        if (dlg_) dlg_->DestroyWindow();
        dlg_.reset();
    }

    // Starts the window. `keys` holds lines "SECTION/Key=value" over the
    // fixture's Sys.ini. `mustStart`: the start-up is expected to run to the
    // end. The messages of the start-up are cleared.
    COrbiskDlg& Start(const QString& keys = QString(), bool mustStart = true) {
        dlg_ = StartWindow(keys);
        if (mustStart) {
            EXPECT_TRUE(completed_) << shown_.join('\n').toStdString();
        }
        shown_.clear();
        icons_.clear();
        return *dlg_;
    }

    QString SaveFolder() const { return dlg_->GetSettings().SaveFolder; }
    // The files of the save folder, by name.
    QStringList Saved() const { return QDir(SaveFolder()).entryList(QDir::Files, QDir::Name); }
    int Grabs() const { return static_cast<int>(cameras_.log.filter("GetCroppedImages").size()); }

    std::unique_ptr<COrbiskDlg> dlg_;
};

}  // namespace orbisk::test

#pragma once

#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_writer.h"
#include "tests/app/fake_camera.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <opencv2/imgproc.hpp>

#include <map>
#include <optional>

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

// A main window on fake cameras (a document camera, and a portrait camera
// when asked), its settings, branding and images in a folder of its own, its
// message boxes, sounds and name questions recorded or scripted.
class CaptureWindowTest : public testing::Test {
  protected:
    CaptureWindowTest() {
        cameras_.devices[QStringLiteral("1d6b:0d41")] = 1;
        cameras_.resolution = {1920, 1080};
        cameras_.cutOuts = {CutOut(400, 300)};
        runtimeDir_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", dir_.Path().toLocal8Bit());
    }
    ~CaptureWindowTest() override {
        if (dlg_) dlg_->DestroyWindow();
        dlg_.reset();
        qputenv("XDG_RUNTIME_DIR", runtimeDir_);
    }

    void WithPortraitCamera() { cameras_.devices[QStringLiteral("1d6b:0e01")] = 1; }

    // Starts the window. `keys` holds lines "SECTION/Key=value" that Sys.ini
    // gets besides the folder, DATEFOLDER=0, the document camera's size
    // 1920 x 1080, the portrait camera's 640 x 480 and naming by prefix and
    // number (which they may replace). `mustStart`: the start-up is expected
    // to run to the end.
    COrbiskDlg& Start(const QString& keys = QString(), bool mustStart = true) {
        BrandingContents branding;
        branding.logo = QImage(20, 10, QImage::Format_RGB888);
        branding.logo.fill(Qt::red);
        branding.deviceEntries = {QStringLiteral("1d6b0d411d6b0e01")};
        WriteBytes(dir_.File("data.dat"), EncodeBrandingFile(branding));
        std::map<QString, std::map<QString, QString>> ini;
        ini["FILE"]["FOLDPATH"] = dir_.Path() + QStringLiteral("/images");
        ini["FILE"]["TypeofImageName"] = QStringLiteral("0");
        ini["IMAGE"]["DATEFOLDER"] = QStringLiteral("0");
        ini["IMAGE"]["DocCamWidth"] = QStringLiteral("1920");
        ini["IMAGE"]["DocCamHeight"] = QStringLiteral("1080");
        ini["IMAGE"]["PorCamWidth"] = QStringLiteral("640");
        ini["IMAGE"]["PorCamHeight"] = QStringLiteral("480");
        for (const QString& line : keys.split('\n', Qt::SkipEmptyParts)) {
            const qsizetype slash = line.indexOf('/'), equals = line.indexOf('=');
            ini[line.left(slash)][line.mid(slash + 1, equals - slash - 1)] = line.mid(equals + 1);
        }
        QString text;
        for (const auto& [section, values] : ini) {
            text += '[' + section + QStringLiteral("]\n");
            for (const auto& [key, value] : values) text += key + '=' + value + '\n';
        }
        WriteBytes(dir_.File("Sys.ini"), text.toUtf8());
        StartupEnvironment env;
        env.brandingPath = dir_.File("data.dat");
        env.settingsPath = dir_.File("Sys.ini");
        env.cameras = cameras_.Factory();
        env.splashMilliseconds = 0;
        env.messages = [this](const QString& text, QMessageBox::Icon) { shown_.append(text); };
        env.playSound = [this](const QString& path) { sounds_.append(path); };
        env.askFileName = [this](int) {
            ++asked_;
            return answer_;
        };
        dlg_ = StartMainWindow(std::move(env), completed_);
        if (mustStart) {
            EXPECT_TRUE(completed_) << shown_.join('\n').toStdString();
        }
        shown_.clear();
        return *dlg_;
    }

    QString SaveFolder() const { return dlg_->GetSettings().SaveFolder; }
    // The files of the save folder, by name.
    QStringList Saved() const { return QDir(SaveFolder()).entryList(QDir::Files, QDir::Name); }
    int Grabs() const { return static_cast<int>(cameras_.log.filter("GetCroppedImages").size()); }

    TempDir dir_;
    QByteArray runtimeDir_;
    FakeCameras cameras_;
    std::unique_ptr<COrbiskDlg> dlg_;
    bool completed_ = false;
    QStringList shown_;
    QStringList sounds_;
    std::optional<QString> answer_ = QStringLiteral("asked");
    int asked_ = 0;
};

}  // namespace orbisk::test

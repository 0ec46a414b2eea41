#pragma once

#include "core/sys_settings.h"
#include "platform/capture_device.h"
#include "tests/platform/fake_v4l2_rig.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include <iterator>
#include <vector>

namespace orbisk::test {

// HOME and the XDG folders in a folder of the test's while it lives.
class HomeIn {
  public:
    explicit HomeIn(const QString& home) {
        for (const char* name : kNames) saved_.push_back(qgetenv(name));
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home + "/.local/share").toLocal8Bit());
    }
    ~HomeIn() {
        for (size_t i = 0; i < std::size(kNames); ++i) qputenv(kNames[i], saved_[i]);
    }

  private:
    static constexpr const char* kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    std::vector<QByteArray> saved_;
};

// The document and portrait cameras as V4L2 nodes of fake cameras, and a
// settings record as the main window hands it to the preferences.
class PreferencesTest : public testing::Test {
  protected:
    static constexpr char kVid[] = "1d6b";
    static constexpr char kDocPid[] = "0c01";  // no camera model
    static constexpr char kPorPid[] = "0c02";

    static std::vector<platform::CaptureFormat> Yuyv(std::vector<std::pair<int, int>> sizes) {
        std::vector<platform::CaptureFormat> out;
        for (auto [w, h] : sizes) out.push_back({platform::kFourCcYuyv, w, h});
        return out;
    }

    SysSettings Record() const {
        SysSettings s;
        s.DocCamVid = kVid;
        s.DocCamPid = kDocPid;
        s.PorCamVid = kVid;
        s.PorCamPid = kPorPid;
        s.DocCamWidth = 1280;
        s.DocCamHeight = 720;
        s.PorCamWidth = 640;
        s.PorCamHeight = 480;
        s.XDPI = 300;
        s.YDPI = 310;
        s.JPGQuality = 55;
        s.CutLeft = 1;
        s.CutTop = 2;
        s.CutRight = 3;
        s.CutBottom = -4;
        s.Size = 256;
        s.Position = 4;
        s.Transparency = 50;
        s.Color = 255;
        s.FOLDPATH = dir_.Path();
        s.DATEFOLDER = 0;
        s.NoiseSize = 5;
        return s;
    }

    template <typename T = QWidget>
    static T* Find(const QWidget* page, int id) {
        auto* w = page->findChild<T*>(QString::number(id));
        EXPECT_NE(w, nullptr) << "no control " << id;
        return w;
    }
    static QStringList Items(const QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    static void Type(QWidget* page, int id, const QString& text) {
        Find<QLineEdit>(page, id)->setText(text);
    }

    FakeV4l2Rig rig_;
    TempDir dir_;
    QStringList messages_;
};

}  // namespace orbisk::test

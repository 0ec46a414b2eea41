#include "app/main_dlg/orbisk_dlg.h"
#include "core/branding_writer.h"
#include "platform/simulated_camera_id.h"
#include "tests/app/fake_camera.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

// The child windows of the main window that stand exactly on `rect`.
int WindowsOn(const COrbiskDlg& dlg, const IntRect& rect) {
    const QRect area(rect.left, rect.top, rect.Width(), rect.Height());
    int count = 0;
    for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->geometry() == area) ++count;
    }
    return count;
}

TEST(SimulatedLayout, BothCameraPreviewsFillTheGrownPreviewArea) {
    qputenv("ORBISK_CAMERA", "simulated");
    test::TempDir dir;
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", dir.Path().toLocal8Bit());
    BrandingContents branding;
    branding.logo = QImage(20, 10, QImage::Format_RGB888);
    branding.deviceEntries = {QString::fromLatin1(platform::kSimulatedDeviceEntry)};
    ASSERT_TRUE(test::WriteBytes(dir.File("data.dat"), EncodeBrandingFile(branding)));
    ASSERT_TRUE(
        test::WriteBytes(dir.File("Sys.ini"),
                         QStringLiteral("[FILE]\nFOLDPATH=%1/images\n").arg(dir.Path()).toUtf8()));
    StartupEnvironment env = StartupEnvironment::Program();
    env.brandingPath = dir.File("data.dat");
    env.settingsPath = dir.File("Sys.ini");
    env.messages = [](const QString&, QMessageBox::Icon) {};
    bool completed = false;
    {
        auto dlg = test::StartMainWindow(std::move(env), completed);
        ASSERT_TRUE(completed);
        ASSERT_NE(dlg->PorCamera(), nullptr);
        dlg->show();
        ASSERT_TRUE(test::WaitUntil([&] { return dlg->isVisible(); }));
        const IntRect before = dlg->PreviewRect();
        EXPECT_EQ(WindowsOn(*dlg, before), 2);

        const QSize grown = dlg->size() + QSize(320, 200);
        dlg->resize(grown);
        ASSERT_TRUE(test::WaitUntil([&] { return dlg->size() == grown; }));
        const IntRect after = dlg->PreviewRect();
        EXPECT_EQ(after.Width(), before.Width() + 320);
        EXPECT_EQ(after.Height(), before.Height() + 200);
        EXPECT_EQ(WindowsOn(*dlg, after), 2);
        EXPECT_EQ(WindowsOn(*dlg, before), 0);
    }
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
    qunsetenv("ORBISK_CAMERA");
}

}  // namespace
}  // namespace orbisk

#include "tests/support/main_window/main_window_test.h"
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

using SimulatedLayout = test::MainWindowTest;

TEST_F(SimulatedLayout, BothCameraPreviewsFillTheGrownPreviewArea) {
    UseSimulatedCamera();
    auto dlg = StartWindow();
    ASSERT_TRUE(completed_) << shown_.join('\n').toStdString();
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

}  // namespace
}  // namespace orbisk

// The main window's right-hand column in every camera model's layout and in
// every language: no two visible controls overlap, and each caption fits its
// control.

#include "app/main_dlg/camera_models.h"
#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "tests/support/main_window/main_window_test.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include <string>
#include <vector>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// The window's controls (those with an id) that it shows, in its coordinates.
struct Placed {
    int id;
    const QWidget* widget;
    QRect rect;
};

std::vector<Placed> VisibleControls(const COrbiskDlg& dlg) {
    std::vector<Placed> placed;
    for (int id = 1000; id < 1200; ++id) {
        const QWidget* w = dlg.Control(id);
        if (w == nullptr || !w->isVisibleTo(&dlg)) continue;
        placed.push_back({id, w, QRect(w->mapTo(&dlg, QPoint(0, 0)), w->size())});
    }
    return placed;
}

struct LayoutCase {
    const char* name;
    QString entry;  // the branding file's device entry
    int model;
};

class ColumnLayoutTest : public test::MainWindowTest,
                         public testing::WithParamInterface<LayoutCase> {};

TEST_P(ColumnLayoutTest, NoTwoVisibleControlsOverlapAndEveryCaptionFitsInEveryLanguage) {
    const LayoutCase& c = GetParam();
    branding_.deviceEntries = {c.entry};
    branding_.labelFlag = true;
    branding_.labelText = QStringLiteral("Orbisk");
    cameras_.devices = {{c.entry.left(4) + ':' + c.entry.mid(4, 4), 1}};
    for (const char* language : {"CN", "CNT", "EN"}) {
        SCOPED_TRACE(language);
        auto dlg = StartWindow(QStringLiteral("[Language]\nCurrent=%1\n").arg(language));
        ASSERT_TRUE(completed_) << shown_.join('\n').toStdString();
        ASSERT_EQ(dlg->GetSettings().CameraModel, c.model);
        const std::vector<Placed> placed = VisibleControls(*dlg);
        ASSERT_GT(placed.size(), 30u);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            const Placed& a = placed[i];
            EXPECT_TRUE(dlg->rect().contains(a.rect)) << a.id << " leaves the window";
            for (std::size_t j = i + 1; j < placed.size(); ++j) {
                const Placed& b = placed[j];
                // A group box holds its own controls.
                if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget)) continue;
                EXPECT_FALSE(a.rect.intersects(b.rect)) << a.id << " and " << b.id << " overlap";
            }
            // Captions drawn by the control itself; the buttons' faces are
            // pictures.
            const auto* button = qobject_cast<const QAbstractButton*>(a.widget);
            const bool captioned = qobject_cast<const QLabel*>(a.widget) != nullptr ||
                                   (button != nullptr && !button->text().isEmpty());
            if (captioned) {
                EXPECT_LE(a.widget->sizeHint().width(), a.rect.width())
                    << a.id << "'s caption is cut";
            }
            if (const auto* group = qobject_cast<const QGroupBox*>(a.widget)) {
                EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()) + 16,
                          a.rect.width())
                    << a.id << "'s title is cut";
            }
        }
    }
}

// One identity of each model, and the identity without a model.
std::vector<LayoutCase> EveryModel() {
    static std::vector<std::string> names;
    names.reserve(16);
    std::vector<LayoutCase> cases;
    for (const CameraModelRow& row : CameraModelTable()) {
        bool seen = false;
        for (const LayoutCase& c : cases) seen = seen || c.model == row.model;
        if (seen) continue;
        names.push_back(row.model < 0 ? std::string("unknown")
                                      : "model" + std::to_string(row.model));
        cases.push_back({names.back().c_str(), row.id.vid + row.id.pid + "1d6b0e01", row.model});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Models, ColumnLayoutTest, testing::ValuesIn(EveryModel()),
                         [](const auto& info) { return test::CaseName(info.param.name); });

}  // namespace
}  // namespace orbisk

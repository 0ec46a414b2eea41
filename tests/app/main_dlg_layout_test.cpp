#include "app/main_dlg/resize_layout.h"
#include "core/bitmap_resources.h"
#include "core/command_ids.h"
#include "core/link_opener.h"
#include "platform/window_messages.h"
#include "tests/app/started_window.h"
#include "tests/support/case_name.h"
#include "tests/support/input_events.h"
#include "tests/support/wait_until.h"
#include "ui/image_tile.h"

#include <QFile>
#include <QMenu>
#include <QUrl>

namespace orbisk {
namespace {

using namespace ids::main_dlg;
using namespace std::chrono_literals;

std::string PreviewCalls(const test::FakeCameras& cameras, int camera) {
    QStringList calls;
    for (const QString& call : cameras.CallsOf(camera)) {
        if (call.startsWith(QStringLiteral("PreviewRect")) || call == QStringLiteral("MovePreview"))
            calls.append(call);
    }
    return calls.join(QStringLiteral(" | ")).toStdString();
}

QString RectCall(const IntRect& r) {
    return QStringLiteral("PreviewRect %1 %2 %3 %4")
        .arg(r.left)
        .arg(r.top)
        .arg(r.right)
        .arg(r.bottom);
}

struct MoveCase {
    const char* name;
    ResizeRole role;
    IntRect expected;  // of (100, 50, 300, 250) grown by (40, 30)
};

class MoveForResizeTest : public testing::TestWithParam<MoveCase> {};

TEST_P(MoveForResizeTest, FollowsTheWindowByItsRole) {
    EXPECT_EQ(MoveForResize({100, 50, 300, 250}, GetParam().role, 40, 30), GetParam().expected);
    // Shrinking back by the same amount restores the rectangle.
    EXPECT_EQ(MoveForResize(GetParam().expected, GetParam().role, -40, -30),
              (IntRect{100, 50, 300, 250}));
}

INSTANTIATE_TEST_SUITE_P(
    Roles, MoveForResizeTest,
    testing::Values(MoveCase{"preview_grows", ResizeRole::kGrow, {100, 50, 340, 280}},
                    MoveCase{
                        "caption_widens_and_moves_down", ResizeRole::kStretch, {100, 80, 340, 280}},
                    MoveCase{"column_moves_right", ResizeRole::kMove, {140, 50, 340, 250}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST(ResizeTable, HoldsTheColumnThePreviewAndTheCaptionLine) {
    const auto& table = ResizeTable();
    EXPECT_EQ(table[0], IDC_PREFERENCES);
    EXPECT_EQ(table[38], IDC_RECORD_VIDEO);
    EXPECT_EQ(table[39], -1);
    EXPECT_EQ(table[43], IDC_PREVIEW);
    EXPECT_EQ(table[44], IDC_BRAND_LABEL);
    EXPECT_EQ(table[45], IDC_CONTINUOUS_SHOOT);
    EXPECT_EQ(std::count(table.begin(), table.end(), -1), 128 - 42);
    EXPECT_EQ(std::count(table.begin(), table.end(), IDC_PORTRAIT_PREVIEW), 0);
    EXPECT_EQ(ResizeRoleOf(IDC_PREVIEW), ResizeRole::kGrow);
    EXPECT_EQ(ResizeRoleOf(IDC_BRAND_LABEL), ResizeRole::kStretch);
    EXPECT_EQ(ResizeRoleOf(IDC_CAPTURE), ResizeRole::kMove);
}

using LayoutTest = test::StartedWindowTest;

// Resizes the shown window as the window system would.
void ResizeTo(COrbiskDlg& dlg, QSize size) {
    dlg.resize(size);
    EXPECT_TRUE(test::WaitUntil([&] { return dlg.size() == size; }));
}

TEST_F(LayoutTest, MaximiseTwiceThenRestoreMovesOncePerTransition) {
    auto dlg = Start();
    ASSERT_NE(dlg->PorCamera(), nullptr);
    dlg->show();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->isVisible(); }));
    const QSize restored = dlg->size();
    const QRect preview = dlg->Control(IDC_PREVIEW)->geometry();
    const QRect caption = dlg->Control(IDC_BRAND_LABEL)->geometry();
    const QRect exit = dlg->Control(IDC_EXIT)->geometry();
    const QRect group = dlg->Control(IDC_VIDEO_GROUP)->geometry();
    const QRect inGroup = dlg->Control(IDC_EXPOSURE_LABEL)->geometry();
    const QRect shoot = dlg->Control(IDC_CONTINUOUS_SHOOT)->geometry();
    const IntRect startPreview = dlg->PreviewRect();
    const IntRect grownPreview = MoveForResize(startPreview, ResizeRole::kGrow, 300, 180);

    const QSize maximised = restored + QSize(300, 180);
    ResizeTo(*dlg, maximised);
    ResizeTo(*dlg, maximised);  // a second maximised size change
    EXPECT_EQ(dlg->Control(IDC_PREVIEW)->geometry(), preview.adjusted(0, 0, 300, 180));
    EXPECT_EQ(dlg->Control(IDC_BRAND_LABEL)->geometry(), caption.adjusted(0, 180, 300, 180));
    EXPECT_EQ(dlg->Control(IDC_EXIT)->geometry(), exit.translated(300, 0));
    EXPECT_EQ(dlg->Control(IDC_VIDEO_GROUP)->geometry(), group.translated(300, 0));
    EXPECT_EQ(dlg->Control(IDC_CONTINUOUS_SHOOT)->geometry(), shoot.translated(300, 0));
    // Inside its group a control keeps its place: it moved with the group.
    EXPECT_EQ(dlg->Control(IDC_EXPOSURE_LABEL)->geometry(), inGroup);
    EXPECT_EQ(dlg->PreviewRect(), grownPreview);

    ResizeTo(*dlg, restored);
    EXPECT_EQ(dlg->Control(IDC_PREVIEW)->geometry(), preview);
    EXPECT_EQ(dlg->Control(IDC_BRAND_LABEL)->geometry(), caption);
    EXPECT_EQ(dlg->Control(IDC_EXIT)->geometry(), exit);
    EXPECT_EQ(dlg->PreviewRect(), startPreview);

    // Both cameras were told each new rectangle once and moved their previews.
    const std::string expected = QStringList{RectCall(grownPreview), QStringLiteral("MovePreview"),
                                             RectCall(startPreview), QStringLiteral("MovePreview")}
                                     .join(QStringLiteral(" | "))
                                     .toStdString();
    EXPECT_EQ(PreviewCalls(cameras_, kDocCamera), expected);
    EXPECT_EQ(PreviewCalls(cameras_, kPorCamera), expected);
}

TEST_F(LayoutTest, ShowingTheWindowAtItsBuiltSizeMovesNothing) {
    auto dlg = Start();
    const QRect exit = dlg->Control(IDC_EXIT)->geometry();
    dlg->show();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->isVisible(); }));
    EXPECT_EQ(dlg->Control(IDC_EXIT)->geometry(), exit);
    EXPECT_EQ(PreviewCalls(cameras_, kDocCamera), "");
}

// The colour of the grabbed window at a point of the window.
QColor ColourAt(COrbiskDlg& dlg, QPoint point) {
    const QImage picture = dlg.grab().toImage();
    return picture.pixelColor(point * picture.devicePixelRatio());
}

TEST_F(LayoutTest, PaintsALightGreyFaceWithDarkerGroupPanels) {
    auto dlg = Start();
    dlg->show();
    ASSERT_TRUE(test::WaitUntil([&] { return dlg->isVisible(); }));
    // The preview area is bare while the camera's own preview stands over it.
    const QRect preview = dlg->Control(IDC_PREVIEW)->geometry();
    EXPECT_EQ(ColourAt(*dlg, preview.center()), QColor(243, 243, 243));
    for (int id : {IDC_VIDEO_GROUP, IDC_NAMING_GROUP, IDC_CROP_GROUP, IDC_COLOR_GROUP}) {
        const QRect group = dlg->Control(id)->geometry();
        // Right of the first radio button or label, below the frame's top.
        const QPoint inside = group.topLeft() + QPoint(group.width() / 2 - 40, 14);
        EXPECT_EQ(ColourAt(*dlg, inside), QColor(238, 238, 238)) << id;
    }
    // The strip's empty tiles show their placeholder.
    const IntRect tile = dlg->Tiles()[0]->GetRect();
    EXPECT_NE(ColourAt(*dlg, {(tile.left + tile.right) / 2, (tile.top + tile.bottom) / 2}),
              QColor(243, 243, 243));
}

// A tile showing a picture file of the save folder.
QString FillTile(CImageTile& tile, const QString& path) {
    QImage picture(64, 48, QImage::Format_RGB888);
    picture.fill(Qt::blue);
    EXPECT_TRUE(picture.save(path));
    EXPECT_TRUE(tile.LoadImageFile(path));
    return path;
}

QPoint Centre(const CImageTile& tile) {
    const IntRect r = tile.GetRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void RightClick(QWidget& widget, QPoint point) {
    test::SendMouse(widget, QEvent::MouseButtonPress, point, Qt::RightButton, Qt::RightButton);
    test::SendMouse(widget, QEvent::MouseButtonRelease, point, Qt::RightButton, Qt::NoButton);
}

class TileMouseTest : public test::StartedWindowTest {
  protected:
    void SetUp() override {
        previous_ = SetUrlOpener([this](const QUrl& url) {
            opened_.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
            return true;
        });
        dlg_ = Start();
        dlg_->show();
        ASSERT_TRUE(test::WaitUntil([&] { return dlg_->isVisible(); }));
    }
    void TearDown() override {
        if (QMenu* menu = dlg_->TileMenu()) menu->hide();
        SetUrlOpener(previous_);
    }

    CImageTile& Tile(int i) { return *dlg_->Tiles()[std::size_t(i)]; }
    bool MenuShown() {
        test::WaitUntil([&] { return dlg_->TileMenu() && dlg_->TileMenu()->isVisible(); }, 200ms);
        return dlg_->TileMenu() && dlg_->TileMenu()->isVisible();
    }
    // Right-clicks the tile and chooses `command` from its menu.
    void Choose(int tile, int command) {
        RightClick(*dlg_, Centre(Tile(tile)));
        ASSERT_TRUE(MenuShown());
        const auto actions = dlg_->TileMenu()->actions();
        actions[command == ids::tile_menu::ID_TILE_DELETE ? 0 : 1]->trigger();
    }

    UrlOpener previous_;
    QStringList opened_;
    std::unique_ptr<COrbiskDlg> dlg_;
};

TEST_F(TileMouseTest, ARightClickOnAnEmptyTileOpensNoMenu) {
    RightClick(*dlg_, Centre(Tile(0)));
    EXPECT_FALSE(MenuShown());
    FillTile(Tile(1), dir_.File("one.png"));
    RightClick(*dlg_, Centre(Tile(1)));
    EXPECT_TRUE(MenuShown());
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(TileMouseTest, ALeftClickOpensTheTilesFileAndTheLogoItsLink) {
    const QString file = FillTile(Tile(2), dir_.File("two.png"));
    test::Move(*dlg_, Centre(Tile(2)));
    EXPECT_TRUE(Tile(2).IsHover());
    test::Press(*dlg_, Centre(Tile(2)));
    test::Release(*dlg_, Centre(Tile(2)));
    test::Press(*dlg_, {20, 20});  // the logo box
    test::Release(*dlg_, {20, 20});
    EXPECT_EQ(opened_, (QStringList{file, QStringLiteral("https://example.org")}));
    EXPECT_FALSE(MenuShown());  // a left click is reported, but opens no menu
}

TEST_F(TileMouseTest, DeleteRemovesTheFileAndShowsThePlaceholder) {
    const QString file = FillTile(Tile(1), dir_.File("one.png"));
    Choose(1, ids::tile_menu::ID_TILE_DELETE);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(Tile(1).GetPath().isEmpty());
    EXPECT_EQ(Tile(1).Picture(),
              LoadBitmapResource(kEmptyPictureBitmap).convertToFormat(Tile(1).Picture().format()));
    EXPECT_FALSE(Tile(1).IsHover());
    // Only the chosen tile changed.
    EXPECT_TRUE(Tile(0).GetPath().isEmpty());
}

TEST_F(TileMouseTest, AFileThatCannotBeDeletedKeepsItsTile) {
    FillTile(Tile(1), dir_.File("one.png"));
    const QImage picture = Tile(1).Picture();
    // A folder with a file in it stands for a file that cannot be deleted.
    const QString folder = dir_.File("kept");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(test::WriteBytes(folder + QStringLiteral("/inside"), "x"));
    Tile(1).SetPath(folder);
    Choose(1, ids::tile_menu::ID_TILE_DELETE);
    EXPECT_TRUE(QFileInfo::exists(folder));
    EXPECT_EQ(Tile(1).GetPath(), folder);
    EXPECT_EQ(Tile(1).Picture(), picture);
}

TEST_F(TileMouseTest, OpenHandsTheTilesFileToTheDesktopAndBrowseTheSaveFolder) {
    const QString file = FillTile(Tile(3), dir_.File("three.png"));
    Choose(3, ids::tile_menu::ID_TILE_OPEN);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(dlg_->OnCommand(IDC_BROWSE_IMAGES));
    ASSERT_EQ(opened_.size(), 2);
    EXPECT_EQ(opened_[0], file);
    EXPECT_EQ(opened_[1], dlg_->GetSettings().SaveFolder);
    // A menu command without a chosen tile does nothing.
    EXPECT_TRUE(dlg_->OnCommand(ids::tile_menu::ID_TILE_DELETE));
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(TileMouseTest, TheCropBoxMessageIsAnsweredWithZero) {
    qintptr result = -1;
    EXPECT_TRUE(dlg_->OnWindowMessage(platform::WM_CROP_BOX_DONE, 0, 0, result));
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace orbisk

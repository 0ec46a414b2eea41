#include "app/main_dlg/message_texts.h"
#include "core/command_ids.h"
#include "documents/capture_rescale.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/page_combine.h"
#include "documents/dialogs/show_image_dlg.h"
#include "documents/image_saver.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/support/barcode_symbols.h"
#include "tests/support/case_name.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/input_events.h"
#include "ui/image_tile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <functional>
#include <utility>

namespace orbisk {
namespace {

using namespace ids::main_dlg;

// --- The rescale rule --------------------------------------------------------

struct RescaleCase {
    const char* name;
    cv::Size configured;
    cv::Size actual;
    cv::Size cutOut;
    cv::Size expected;  // the cut-out's size after the rule
};

class CaptureRescaleTest : public testing::TestWithParam<RescaleCase> {};

TEST_P(CaptureRescaleTest, GivesTheCutOutItsSize) {
    const RescaleCase& c = GetParam();
    const auto factors =
        CaptureRescale(c.configured.width, c.configured.height, c.actual.width, c.actual.height);
    const cv::Mat cutOut(c.cutOut, CV_8UC3, cv::Scalar(10, 20, 30));
    const cv::Mat result = factors ? RescaleCutOut(cutOut, *factors) : cutOut;
    EXPECT_EQ(result.size(), c.expected);
}

// 3264 / 2592 and 2448 / 1944 are both 1.259..., so the axes are told apart
// by a camera whose factors differ.
INSTANTIATE_TEST_SUITE_P(
    Sizes, CaptureRescaleTest,
    testing::Values(
        RescaleCase{"landscape", {3264, 2448}, {2592, 1944}, {1000, 500}, {1259, 630}},
        RescaleCase{"portrait", {3264, 2448}, {2592, 1944}, {500, 1000}, {630, 1259}},
        RescaleCase{"landscape_unequal", {2000, 1000}, {1000, 1000}, {300, 200}, {600, 200}},
        RescaleCase{"portrait_unequal", {2000, 1000}, {1000, 1000}, {200, 300}, {200, 600}},
        RescaleCase{"square_as_portrait", {2000, 1000}, {1000, 1000}, {300, 300}, {300, 600}},
        RescaleCase{"factor_0p999_kept", {999, 999}, {1000, 1000}, {400, 300}, {400, 300}},
        RescaleCase{"factor_1p001_kept", {1001, 1001}, {1000, 1000}, {400, 300}, {400, 300}},
        RescaleCase{
            "factor_0p9989_rescaled", {9989, 10000}, {10000, 10000}, {4000, 3000}, {3996, 3000}},
        RescaleCase{"camera_0x0_kept", {1920, 1080}, {0, 0}, {400, 300}, {400, 300}},
        RescaleCase{"camera_negative_kept", {1920, 1080}, {-1, 1080}, {400, 300}, {400, 300}},
        RescaleCase{"configured_0_kept", {0, 0}, {1920, 1080}, {400, 300}, {400, 300}},
        RescaleCase{"tiny_factor_keeps_a_pixel", {1, 1}, {4000, 4000}, {300, 200}, {1, 1}}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// --- The capture road on fake cameras ---------------------------------------

class CaptureTest : public test::CaptureWindowTest {};

TEST_F(CaptureTest, TwoCutOutsGiveTwoNumberedFilesTwoTilesAndOneIndexStep) {
    cameras_.cutOuts = {test::CutOut(400, 300, 1), test::CutOut(300, 420, 2)};
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/INDEX=7"));
    // The start-up made the temporary folder current.
    for (const char* name : {"tmp.bmp", "tmp.jpg"}) test::WriteBytes(name, "x");

    ASSERT_TRUE(dlg.OnCommand(IDC_CAPTURE));

    EXPECT_EQ(Saved(), (QStringList{"IMG00007_00.jpg", "IMG00007_01.jpg"}));
    const cv::Mat first = cv::imread(test::Encoded(SaveFolder() + "/IMG00007_00.jpg"));
    const cv::Mat second = cv::imread(test::Encoded(SaveFolder() + "/IMG00007_01.jpg"));
    EXPECT_EQ(first.size(), cv::Size(400, 300));
    EXPECT_EQ(second.size(), cv::Size(300, 420));
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00007_00.jpg");
    EXPECT_EQ(dlg.Tiles()[1]->GetPath(), SaveFolder() + "/IMG00007_01.jpg");
    EXPECT_FALSE(dlg.Tiles()[0]->Picture().isNull());
    EXPECT_EQ(dlg.StripCount(), 2);
    EXPECT_EQ(dlg.GetSettings().INDEX, 8);
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), "8");
    EXPECT_FALSE(QFile::exists("tmp.bmp"));
    EXPECT_FALSE(QFile::exists("tmp.jpg"));
    ASSERT_EQ(sounds_.size(), 1);
    EXPECT_TRUE(sounds_[0].endsWith("/paizhao.wav"));
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
}

TEST_F(CaptureTest, TheSoundIsOffWhenPlayIsOff) {
    COrbiskDlg& dlg = Start(QStringLiteral("SOUND/Play=false"));
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(Saved().size(), 1);
    EXPECT_TRUE(sounds_.isEmpty());
}

struct RouteCase {
    const char* name;
    std::function<void(COrbiskDlg&)> press;
};

class CaptureRouteTest : public test::CaptureWindowTest,
                         public testing::WithParamInterface<RouteCase> {};

TEST_P(CaptureRouteTest, EndsInOneCapture) {
    COrbiskDlg& dlg = Start();
    dlg.show();
    GetParam().press(dlg);
    QCoreApplication::processEvents();
    EXPECT_EQ(Grabs(), 1);
    EXPECT_EQ(Saved(), QStringList{"IMG00000.jpg"});
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, CaptureRouteTest,
    testing::Values(
        RouteCase{"capture_button", [](COrbiskDlg& d) { d.OnCommand(IDC_CAPTURE); }},
        RouteCase{"space_key",
                  [](COrbiskDlg& d) { test::SendKey(*d.Control(IDC_EXIT), Qt::Key_Space, " "); }},
        RouteCase{"accelerator_command", [](COrbiskDlg& d) { d.OnCommand(ID_ACCEL_CAPTURE); }},
        RouteCase{
            "camera_snapshot_button",
            [](COrbiskDlg& d) { platform::PostWindowMessage(&d, platform::WM_CAMERA_SNAPSHOT); }}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(CaptureTest, AShotRequestWithoutAShootingDialogCapturesNothing) {
    COrbiskDlg& dlg = Start();
    platform::PostWindowMessage(&dlg, platform::WM_SHOOT_REQUEST, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Grabs(), 0);
    EXPECT_TRUE(Saved().isEmpty());
}

TEST_F(CaptureTest, TheWrittenSizeFollowsTheCamerasActualResolution) {
    struct Case {
        QSize actual;
        cv::Size written;
    };
    const Case cases[] = {
        {{1920, 1080}, {400, 300}},
        {{960, 1080}, {800, 300}},  // twice as wide configured: a landscape page widens
        {{0, 0}, {400, 300}},       // no size reported: kept, and no crash
    };
    COrbiskDlg& dlg = Start();
    for (const Case& c : cases) {
        cameras_.resolution = c.actual;
        const int index = dlg.GetSettings().INDEX;
        dlg.OnCommand(IDC_CAPTURE);
        const QString file =
            SaveFolder() + QStringLiteral("/IMG%1.jpg").arg(index, 5, 10, QChar('0'));
        EXPECT_EQ(cv::imread(test::Encoded(file)).size(), c.written)
            << c.actual.width() << "x" << c.actual.height();
    }
}

// The places of the tiles from top to bottom, as the files they stand for.
QStringList StripInPlaceOrder(const COrbiskDlg& dlg) {
    std::vector<const CImageTile*> tiles;
    for (const auto& t : dlg.Tiles()) tiles.push_back(t.get());
    std::ranges::sort(tiles, {}, [](const CImageTile* t) { return t->GetRect().top; });
    QStringList files;
    for (const CImageTile* t : tiles) files.append(QFileInfo(t->GetPath()).fileName());
    return files;
}

TEST_F(CaptureTest, TheStripIsARingOfFourWithTheNewestLast) {
    COrbiskDlg& dlg = Start();
    std::vector<IntRect> places;
    for (const auto& t : dlg.Tiles()) places.push_back(t->GetRect());
    for (int i = 0; i < 4; ++i) dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(StripInPlaceOrder(dlg),
              (QStringList{"IMG00000.jpg", "IMG00001.jpg", "IMG00002.jpg", "IMG00003.jpg"}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dlg.Tiles()[i]->GetRect(), places[i]) << i;

    dlg.OnCommand(IDC_CAPTURE);
    // The fifth file replaces the oldest in tile 0, which moves last.
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), SaveFolder() + "/IMG00004.jpg");
    EXPECT_EQ(dlg.Tiles()[0]->GetRect(), places[3]);
    EXPECT_EQ(dlg.Tiles()[1]->GetRect(), places[0]);
    EXPECT_EQ(StripInPlaceOrder(dlg),
              (QStringList{"IMG00001.jpg", "IMG00002.jpg", "IMG00003.jpg", "IMG00004.jpg"}));

    // A file deleted behind a tile's back does not move the ring.
    ASSERT_TRUE(QFile::remove(dlg.Tiles()[2]->GetPath()));
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(dlg.Tiles()[1]->GetPath(), SaveFolder() + "/IMG00005.jpg");
    EXPECT_EQ(StripInPlaceOrder(dlg),
              (QStringList{"IMG00002.jpg", "IMG00003.jpg", "IMG00004.jpg", "IMG00005.jpg"}));
    EXPECT_EQ(dlg.StripCount(), 6);
}

// --- Captures that end early keep the index ---------------------------------

struct EarlyExitCase {
    const char* name;
    QString ini;
    std::function<void(test::CaptureWindowTest&)> arrange;
    int grabs;  // cut-outs asked for
    int files;  // files left in the save folder
    int sounds;
};

class CaptureEarlyExitTest : public test::CaptureWindowTest,
                             public testing::WithParamInterface<EarlyExitCase> {
  public:
    void SetCutOuts(std::vector<cv::Mat> cutOuts) { cameras_.cutOuts = std::move(cutOuts); }
    void CancelNames() { answer_.reset(); }
};

TEST_P(CaptureEarlyExitTest, KeepsTheIndex) {
    const EarlyExitCase& c = GetParam();
    c.arrange(*this);
    COrbiskDlg& dlg = Start(c.ini + QStringLiteral("\nIMAGE/INDEX=4"));
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(Grabs(), c.grabs);
    EXPECT_EQ(Saved().size(), c.files) << Saved().join(' ').toStdString();
    EXPECT_EQ(sounds_.size(), c.sounds);
    EXPECT_EQ(dlg.GetSettings().INDEX, 4);
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text(), "4");
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.MergeDlg(), nullptr);
    EXPECT_EQ(dlg.PageDlg(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Exits, CaptureEarlyExitTest,
    testing::Values(
        EarlyExitCase{"cancelled_name", "FILE/TypeofImageName=2",
                      [](auto& t) { static_cast<CaptureEarlyExitTest&>(t).CancelNames(); }, 0, 0,
                      1},
        EarlyExitCase{"empty_grab", "",
                      [](auto& t) { static_cast<CaptureEarlyExitTest&>(t).SetCutOuts({}); }, 1, 0,
                      1},
        // The page is saved under its temporary name and stays; nothing gets it.
        EarlyExitCase{"cancelled_merge_name", "FILE/TypeofImageName=2\nOTHER/MERGE=TRUE",
                      [](auto& t) { static_cast<CaptureEarlyExitTest&>(t).CancelNames(); }, 1, 1,
                      1},
        EarlyExitCase{"cancelled_collection_name", "FILE/TypeofImageName=2\nIMAGE/PDFORTIF=2",
                      [](auto& t) { static_cast<CaptureEarlyExitTest&>(t).CancelNames(); }, 1, 1,
                      1}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(CaptureTest, WithoutADocumentCameraNothingHappens) {
    cameras_.openResult = -1;  // the document camera does not open
    Start(QString(), false);
    ASSERT_FALSE(completed_);
    ASSERT_EQ(dlg_->DocCamera(), nullptr);
    dlg_->OnCommand(IDC_CAPTURE);
    EXPECT_EQ(Grabs(), 0);
    EXPECT_TRUE(sounds_.isEmpty());
    EXPECT_EQ(dlg_->StripCount(), 0);
}

TEST_F(CaptureTest, AFileThatCannotBeWrittenIsToldAndGetsNoTile) {
    COrbiskDlg& dlg = Start(QStringLiteral("Language/Current=EN"));
    {
        const test::FileSizeLimit fullDisk(1000);
        dlg.OnCommand(IDC_CAPTURE);
    }
    EXPECT_TRUE(Saved().isEmpty()) << Saved().join(' ').toStdString();
    ASSERT_EQ(shown_.size(), 1);
    EXPECT_TRUE(shown_[0].startsWith("The image could not be saved:")) << shown_[0].toStdString();
    EXPECT_TRUE(shown_[0].contains(SaveFolder() + "/IMG00000")) << shown_[0].toStdString();
    EXPECT_EQ(dlg.StripCount(), 0);
}

// --- Collections and merging -------------------------------------------------

struct CollectionCase {
    const char* name;
    int pdfOrTif;
    const char* extension;
    int outputMode;
};

class CaptureCollectionTest : public test::CaptureWindowTest,
                              public testing::WithParamInterface<CollectionCase> {};

TEST_P(CaptureCollectionTest, TheFirstCaptureOpensItWithOneTileAndTheNextOnlyAddPages) {
    const CollectionCase& c = GetParam();
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/INDEX=3\nIMAGE/PDFORTIF=%1").arg(c.pdfOrTif));
    dlg.OnCommand(IDC_CAPTURE);
    CMultiPageDlg* pages = dlg.PageDlg();
    ASSERT_NE(pages, nullptr);
    const QString target = SaveFolder() + "/IMG00003" + c.extension;
    EXPECT_EQ(pages->TargetName, target);
    EXPECT_EQ(pages->OutputMode, c.outputMode);
    EXPECT_EQ(pages->Pages().Count(), 1);
    // One tile for the document to come, showing its first page.
    EXPECT_EQ(dlg.StripCount(), 1);
    EXPECT_EQ(dlg.Tiles()[0]->GetPath(), target);
    EXPECT_FALSE(dlg.Tiles()[0]->Picture().isNull());
    // Pages are saved under temporary names.
    ASSERT_EQ(Saved().size(), 1);
    EXPECT_TRUE(Saved()[0].startsWith("Tmp")) << Saved()[0].toStdString();

    cameras_.cutOuts = {test::CutOut(400, 300, 1), test::CutOut(400, 300, 2)};
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(dlg.PageDlg(), pages);
    EXPECT_EQ(pages->TargetName, target);
    EXPECT_EQ(pages->Pages().Count(), 3);
    EXPECT_EQ(dlg.StripCount(), 1);
    EXPECT_EQ(dlg.GetSettings().INDEX, 5);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CaptureCollectionTest,
    testing::Values(CollectionCase{"one_pdf", int(CollectionMode::OnePdf), ".pdf", kCombineToPdf},
                    CollectionCase{"multi_page_tif", int(CollectionMode::MultiPageTif), ".tif",
                                   kCombineToTiff}),
    [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(CaptureTest, MergeWithBarcodeNamingAndNoBarcodeShowsMessage4OnceAndKeepsTheRuleName) {
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/MERGE=TRUE\nOTHER/RECOGNIZE=TRUE"));
    dlg.OnCommand(IDC_CAPTURE);
    CShowImageDlg* merge = dlg.MergeDlg();
    ASSERT_NE(merge, nullptr);
    EXPECT_EQ(merge->MergeBaseName, SaveFolder() + "/IMG00000");
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(dlg.MergeDlg(), merge);
    EXPECT_EQ(shown_, QStringList{dlg.Texts()[kMsgBadBarcodeName]});
    EXPECT_NE(merge->Tile(0)->GetPath(), merge->Tile(1)->GetPath());
    EXPECT_EQ(dlg.StripCount(), 0);
    EXPECT_EQ(dlg.GetSettings().INDEX, 2);
}

TEST_F(CaptureTest, MergeFromTheSettingsRunsTheMergeCommandSoACaptureHasOneDestination) {
    for (const CollectionMode mode : {CollectionMode::MultiPageTif, CollectionMode::OnePdf}) {
        SCOPED_TRACE(int(mode));
        COrbiskDlg& dlg =
            Start(QStringLiteral("OTHER/MERGE=TRUE\nIMAGE/PDFORTIF=%1").arg(int(mode)));
        EXPECT_TRUE(dlg.ControlAs<QCheckBox>(IDC_MERGE)->isChecked());
        EXPECT_FALSE(dlg.ControlAs<QCheckBox>(IDC_ONE_PDF)->isChecked());
        EXPECT_FALSE(dlg.ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF)->isChecked());
        EXPECT_EQ(dlg.GetSettings().PDFORTIF, int(CollectionMode::None));
        EXPECT_EQ(dlg.GetSettings().Merge, 1);

        dlg.OnCommand(IDC_CAPTURE);
        EXPECT_NE(dlg.MergeDlg(), nullptr);
        EXPECT_EQ(dlg.PageDlg(), nullptr);
        EXPECT_EQ(dlg.StripCount(), 0);
        dlg_->DestroyWindow();
        dlg_.reset();
    }
}

// A page with a QR code of `data`.
cv::Mat QrCutOut(const std::string& data) {
    return test::OnWhitePage(test::ZintSymbol(BARCODE_QRCODE, data, 3), cv::Size(640, 480));
}

struct BarcodeNameCase {
    const char* name;
    std::string data;
    QString existing;  // a file already in the save folder
    QString expected;  // the merged name in the save folder; empty: the rule's, with message 4
};

class CaptureBarcodeNameTest : public test::CaptureWindowTest,
                               public testing::WithParamInterface<BarcodeNameCase> {};

TEST_P(CaptureBarcodeNameTest, NamesTheMergedImage) {
    const BarcodeNameCase& c = GetParam();
    cameras_.cutOuts = {QrCutOut(c.data)};
    COrbiskDlg& dlg = Start(QStringLiteral("OTHER/MERGE=TRUE\nOTHER/RECOGNIZE=TRUE"));
    if (!c.existing.isEmpty()) test::WriteBytes(SaveFolder() + '/' + c.existing, "x");
    dlg.OnCommand(IDC_CAPTURE);
    ASSERT_NE(dlg.MergeDlg(), nullptr);
    const QString expected = c.expected.isEmpty() ? QStringLiteral("IMG00000") : c.expected;
    EXPECT_EQ(dlg.MergeDlg()->MergeBaseName, SaveFolder() + '/' + expected);
    EXPECT_EQ(shown_.size(), c.expected.isEmpty() ? 1 : 0) << shown_.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CaptureBarcodeNameTest,
    testing::Values(
        BarcodeNameCase{"plain_code", "INV-2041", QString(), "INV-2041"},
        BarcodeNameCase{"code_of_an_earlier_batch", "INV-2041", "INV-2041.jpg", "INV-2041_2"},
        BarcodeNameCase{"separator_refused", "../outside", QString(), QString()},
        BarcodeNameCase{"dot_dot_refused", "..", QString(), QString()},
        BarcodeNameCase{"too_long_refused", std::string(300, 'a'), QString(), QString()}),
    [](const auto& info) { return test::CaseName(info.param.name); });

// --- The portrait camera -----------------------------------------------------

TEST_F(CaptureTest, ThePortraitCameraSavesOnlyItsFirstCutOutWithoutShadowRemoval) {
    WithPortraitCamera();
    cameras_.resolution = {640, 480};
    // A page under uneven light, which shadow removal evens out.
    cv::Mat shaded = test::CutOut(400, 300, 3);
    for (int x = 0; x < shaded.cols; ++x) {
        shaded.col(x) -= cv::Scalar::all(x / 4);
    }
    cameras_.cutOuts = {shaded, test::CutOut(300, 200, 4)};
    COrbiskDlg& dlg = Start(QStringLiteral("IMAGE/SHADOW=TRUE"));
    ASSERT_NE(dlg.PorCamera(), nullptr);
    dlg.SetCurrentCameraForTest(1);
    dlg.OnCommand(IDC_CAPTURE);

    EXPECT_EQ(cameras_.CallsOf(2).filter("GetCroppedImages").size(), 1);
    EXPECT_EQ(cameras_.CallsOf(1).filter("GetCroppedImages").size(), 0);
    ASSERT_EQ(Saved(), QStringList{"IMG00000.jpg"});
    const cv::Mat written = cv::imread(test::Encoded(SaveFolder() + "/IMG00000.jpg"));

    // The same page through the saver with and without shadow removal.
    auto saved = [&](int shadow, const QString& base) {
        SysSettings s = dlg.GetSettings();
        s.SHADOW = shadow;
        CImageSaver saver(s.Language);
        saver.SetSettings(s);
        QStringList files;
        saver.SaveImages({saver.ProcessImage(shaded)}, dir_.File(base), files);
        return cv::imread(test::Encoded(files.value(0)));
    };
    const cv::Mat plain = saved(0, "plain");
    const cv::Mat evened = saved(1, "evened");
    ASSERT_EQ(written.size(), plain.size());
    EXPECT_EQ(cv::norm(written, plain, cv::NORM_INF), 0);
    EXPECT_GT(cv::norm(written, evened, cv::NORM_INF), 10) << "shadow removal changes nothing";
}

// --- Overlapping captures ----------------------------------------------------

TEST_F(CaptureTest, RequestsArrivingDuringACaptureRunAsOneCaptureAfterIt) {
    COrbiskDlg* window = nullptr;
    int grabs = 0;
    cameras_.onGrab = [&] {
        if (++grabs > 1) return;
        // What a modal loop inside the capture would deliver: none of them
        // starts a capture inside this one.
        platform::PostWindowMessage(window, platform::WM_CAMERA_SNAPSHOT);
        test::SendKey(*window->Control(IDC_EXIT), Qt::Key_Space, " ");
        window->OnCommand(IDC_CAPTURE);
        QCoreApplication::processEvents();
        EXPECT_EQ(grabs, 1);
        EXPECT_TRUE(Saved().isEmpty());
    };
    COrbiskDlg& dlg = Start();
    window = &dlg;
    dlg.OnCommand(IDC_CAPTURE);
    QCoreApplication::processEvents();
    EXPECT_EQ(Grabs(), 2);
    EXPECT_EQ(Saved(), (QStringList{"IMG00000.jpg", "IMG00001.jpg"}));
    EXPECT_EQ(dlg.GetSettings().INDEX, 2);
    EXPECT_EQ(dlg.StripCount(), 2);

    // Afterwards the window captures again, once a press.
    cameras_.onGrab = nullptr;
    dlg.OnCommand(IDC_CAPTURE);
    EXPECT_EQ(Saved(), (QStringList{"IMG00000.jpg", "IMG00001.jpg", "IMG00002.jpg"}));
}

}  // namespace
}  // namespace orbisk

// Continuous shooting driven from the main window: opening the dialog,
// capturing on its requests, deleting it, and whole runs on a scripted and on
// the simulated camera.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "core/branding_writer.h"
#include "core/command_ids.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/window_messages.h"
#include "tests/app/capture_fixture.h"
#include "tests/app/desk_film.h"
#include "tests/support/case_name.h"
#include "tests/support/manual_clock.h"
#include "tests/support/text_page.h"
#include "tests/support/wait_until.h"
#include "ui/label.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

namespace orbisk {
namespace {

using namespace ids::main_dlg;
using namespace std::chrono_literals;

class ShootingTest : public test::CaptureWindowTest {
  protected:
    // The inspection may wait on the clock: it ends before the clock goes.
    ~ShootingTest() override {
        if (dlg_) dlg_->DestroyWindow();
    }

    // The fake document camera shows `shots` in turn, one per inspection
    // cycle, the last one from then on.
    void Film(std::vector<test::DeskShot> shots) {
        cameras_.frame = [this, shots = std::move(shots)] {
            const unsigned cycle = frames_++;
            return film_.Frame(shots[std::min<size_t>(cycle, shots.size() - 1)], cycle);
        };
    }

    test::DeskFilm film_;
    std::atomic<unsigned> frames_{0};
    test::ManualClock clock_;
};

struct OpeningCase {
    const char* name;
    int camera;  // current camera
    int mode;
    bool smartEnabled;
};

class ShootingOpenTest : public ShootingTest, public testing::WithParamInterface<OpeningCase> {};

TEST_P(ShootingOpenTest, OpensOnceOverThePreviewOnTheShownCamera) {
    const OpeningCase& c = GetParam();
    WithPortraitCamera();
    COrbiskDlg& dlg = Start();
    dlg.show();
    dlg.SetCurrentCameraForTest(c.camera);
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    CContinuousShootDlg* shoot = dlg.ShootDlg();
    ASSERT_NE(shoot, nullptr);
    EXPECT_TRUE(shoot->isVisible());
    EXPECT_EQ(shoot->Mode(), c.mode);
    EXPECT_EQ(shoot->Button(ids::shoot_dlg::IDC_MODE_SMART)->isEnabled(), c.smartEnabled);
    EXPECT_FLOAT_EQ(shoot->Interval(), 5.0f);

    const QWidget* preview = dlg.Control(IDC_PREVIEW);
    const QRect area(preview->mapToGlobal(QPoint(0, 0)), preview->size());
    const QRect placed = shoot->frameGeometry();
    EXPECT_LE(std::abs(placed.center().x() - area.center().x()), 1);
    EXPECT_EQ(placed.bottom(), area.bottom());

    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    EXPECT_EQ(dlg.ShootDlg(), shoot);
}

INSTANTIATE_TEST_SUITE_P(Cameras, ShootingOpenTest,
                         testing::Values(OpeningCase{"document", 0, 1, true},
                                         OpeningCase{"portrait", 1, 0, false}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST_F(ShootingTest, ItsRequestsCaptureUntilItsStopDeletesIt) {
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    ASSERT_NE(dlg.ShootDlg(), nullptr);
    platform::PostWindowMessage(&dlg, platform::WM_SHOOT_REQUEST, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Saved(), QStringList{"IMG00000.jpg"});

    dlg.ShootDlg()->OnStop();
    // A request still queued behind the stop finds no dialog.
    platform::PostWindowMessage(&dlg, platform::WM_SHOOT_REQUEST, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.ShootDlg(), nullptr);
    EXPECT_EQ(Saved(), QStringList{"IMG00000.jpg"});
    EXPECT_EQ(dlg.GetSettings().INDEX, 1);
}

TEST_F(ShootingTest, AShotAskedForDuringACaptureIsTakenAfterItAndNoneIsMadeMeanwhile) {
    COrbiskDlg* window = nullptr;
    int grabs = 0;
    bool heldDuringCapture = false;
    cameras_.onGrab = [&] {
        heldDuringCapture = window->ShootDlg()->ShotsHeld();
        if (++grabs > 1) return;
        // The shot the inspection posted just before the capture began,
        // delivered by a modal box of the capture.
        platform::PostWindowMessage(window, platform::WM_SHOOT_REQUEST, 0, 0);
        QCoreApplication::processEvents();
    };
    COrbiskDlg& dlg = Start();
    window = &dlg;
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    ASSERT_NE(dlg.ShootDlg(), nullptr);
    platform::PostWindowMessage(&dlg, platform::WM_SHOOT_REQUEST, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Saved(), (QStringList{"IMG00000.jpg", "IMG00001.jpg"}));
    EXPECT_TRUE(heldDuringCapture);
    EXPECT_FALSE(dlg.ShootDlg()->ShotsHeld());
}

TEST_F(ShootingTest, TheExitEndsARunningInspectionBeforeTheCamerasGo) {
    Film({test::Desk()});
    int waitingWhenTheCameraWent = -1;
    cameras_.onDestroyed = [&](int camera) {
        if (camera == kDocCamera) waitingWhenTheCameraWent = clock_.Waiting();
    };
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    dlg.ShootDlg()->SetClock(&clock_);
    dlg.ShootDlg()->OnStart();
    ASSERT_TRUE(test::StepWorkerCycles(clock_, 3, 800ms));
    EXPECT_EQ(frames_, 3u);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.ShootDlg(), nullptr);
    EXPECT_EQ(dlg.DocCamera(), nullptr);
    // The inspection had ended (it waited for no next cycle) when the
    // document camera went.
    EXPECT_EQ(waitingWhenTheCameraWent, 0);
    EXPECT_EQ(clock_.Waiting(), 0);
    EXPECT_EQ(clock_.GaveUp(), 0);
}

// 75 cycles of 800 ms: a minute of an empty desk.
constexpr unsigned kMinuteOfCycles = 75;

class ShootingEmptyDeskTest : public ShootingTest,
                              public testing::WithParamInterface<test::EmptyDesk> {};

TEST_P(ShootingEmptyDeskTest, CapturesNothingForAMinute) {
    Film({test::Desk(GetParam())});
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    dlg.ShootDlg()->SetInspectionPeriod(1ms);
    dlg.ShootDlg()->OnStart();
    // A cycle judges a whole frame: slow under the sanitizers on a busy
    // machine, so the bound is generous (the wait ends with the 75th frame).
    ASSERT_TRUE(test::WaitUntil([&] { return frames_ >= kMinuteOfCycles; }, 5min));
    dlg.ShootDlg()->OnStop();
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.ShootDlg(), nullptr);
    EXPECT_EQ(Grabs(), 0);
    EXPECT_TRUE(Saved().isEmpty());
    EXPECT_EQ(dlg.GetSettings().INDEX, 0);
}

INSTANTIATE_TEST_SUITE_P(Desks, ShootingEmptyDeskTest,
                         testing::Values(test::EmptyDesk::PlainDark, test::EmptyDesk::Wood),
                         [](const auto& info) {
                             return info.param == test::EmptyDesk::Wood ? "wood" : "plain";
                         });

TEST_F(ShootingTest, EachPageLaidDownIsCapturedOnce) {
    // Three pages, each brought in, left still, then taken away.
    std::vector<test::DeskShot> shots;
    for (int page = 0; page < 3; ++page) {
        for (int i = 0; i < 3; ++i) shots.push_back(test::Desk());
        shots.push_back(test::PageAt(page, {700, 600}, -6));
        for (int i = 0; i < 5; ++i) shots.push_back(test::PageAt(page));
    }
    shots.push_back(test::Desk());
    const unsigned length = static_cast<unsigned>(shots.size());
    Film(std::move(shots));
    // The captures follow the film, so each grab sees the page just judged.
    cameras_.cutOuts = {test::CutOut(400, 300)};
    COrbiskDlg& dlg = Start();
    dlg.OnCommand(IDC_CONTINUOUS_SHOOT);
    dlg.ShootDlg()->SetInspectionPeriod(1ms);
    dlg.ShootDlg()->OnStart();
    ASSERT_TRUE(test::WaitUntil([&] { return frames_ >= length + 5; }, 60s));
    dlg.ShootDlg()->OnStop();
    QCoreApplication::processEvents();
    EXPECT_EQ(Grabs(), 3);
    EXPECT_EQ(Saved(), (QStringList{"IMG00000.jpg", "IMG00001.jpg", "IMG00002.jpg"}));
}

// --- The simulated camera cycling a folder of pages --------------------------

// Small grey copies of two pictures differ by more than noise.
bool Differ(const cv::Mat& a, const cv::Mat& b) {
    cv::Mat sa, sb;
    cv::resize(a, sa, {64, 48}, 0, 0, cv::INTER_AREA);
    cv::resize(b, sb, {64, 48}, 0, 0, cv::INTER_AREA);
    return cv::norm(sa, sb, cv::NORM_L1) / sa.total() > 10;
}

using SimulatedShooting = test::MainWindowTest;

TEST_F(SimulatedShooting, NPagesShownGiveNFilesNoneTwice) {
    constexpr int kPages = 3;
    const QString pages = dir_.File("pages");
    QDir().mkpath(pages);
    test::DeskFilm film;
    for (int page = 0; page < kPages; ++page) {
        const cv::Mat frame =
            film.Frame(test::PageAt(page, {700.0f + 100 * page, 600}, -4.0f + 4 * page), page);
        ASSERT_TRUE(
            cv::imwrite(test::Encoded(pages + QStringLiteral("/page%1.png").arg(page)), frame));
    }
    UseSimulatedCamera(pages);
    branding_.logo.fill(Qt::darkBlue);
    platform::SimulatedCamera::Reset();
    platform::SimulatedCamera::SetFrameRate(10);
    // The next page is laid down once the last one has its file.
    const auto origin = std::chrono::steady_clock::now();
    auto shownPage = std::make_shared<std::atomic<int>>(0);
    platform::SimulatedCamera::SetPageClock(
        [origin, shownPage] { return origin + shownPage->load() * 3s; });
    auto dlg =
        StartWindow(QStringLiteral("[FILE]\nTypeofImageName=0\n[SOUND]\nPlay=false\n"
                                   "[IMAGE]\nDocCamWidth=1600\nDocCamHeight=1200\n"));
    ASSERT_TRUE(completed_) << shown_.join('\n').toStdString();
    const QString saveFolder = dlg->GetSettings().SaveFolder;
    auto saved = [&] { return QDir(saveFolder).entryList(QDir::Files, QDir::Name); };

    dlg->OnCommand(IDC_CONTINUOUS_SHOOT);
    ASSERT_NE(dlg->ShootDlg(), nullptr);
    dlg->ShootDlg()->SetInspectionPeriod(200ms);
    dlg->ShootDlg()->OnStart();
    test::WaitUntil(
        [&] {
            const int files = static_cast<int>(saved().size());
            shownPage->store(std::min(files, kPages - 1));
            return files >= kPages;
        },
        5min);
    dlg->ShootDlg()->OnStop();
    QCoreApplication::processEvents();
    dlg->DestroyWindow();

    const QStringList files = saved();
    ASSERT_EQ(files.size(), kPages) << files.join(' ').toStdString();
    std::vector<cv::Mat> images;
    for (const QString& f : files) {
        images.push_back(cv::imread(test::Encoded(saveFolder + '/' + f)));
        ASSERT_FALSE(images.back().empty()) << f.toStdString();
    }
    for (int i = 0; i < kPages; ++i) {
        for (int j = i + 1; j < kPages; ++j) {
            EXPECT_TRUE(Differ(images[i], images[j]))
                << files[i].toStdString() << " and " << files[j].toStdString();
        }
    }
    EXPECT_TRUE(shown_.isEmpty()) << shown_.join('\n').toStdString();
}

// --- Pages swapped in the same place, on the simulated camera ----------------

// The fine detail of a picture (its text), small enough to compare quickly.
cv::Mat Detail(const cv::Mat& picture) {
    cv::Mat grey, small, blurred;
    cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    cv::resize(grey, small, {800, 600}, 0, 0, cv::INTER_AREA);
    small.convertTo(small, CV_32F);
    cv::GaussianBlur(small, blurred, {0, 0}, 3);
    return small - blurred;
}

// Which of the pages the picture shows: the one whose text correlates best.
int ShownPage(const cv::Mat& picture, const std::vector<cv::Mat>& pageDetails) {
    const cv::Mat detail = Detail(picture);
    int best = -1;
    double bestScore = -2;
    for (size_t i = 0; i < pageDetails.size(); ++i) {
        cv::Mat score;
        cv::matchTemplate(detail, pageDetails[i], score, cv::TM_CCOEFF_NORMED);
        if (score.at<float>(0, 0) > bestScore) {
            bestScore = score.at<float>(0, 0);
            best = static_cast<int>(i);
        }
    }
    return best;
}

struct PageSwapCase {
    const char* name;
    // Barcode naming on pages without codes: every capture shows a message
    // box, during which the camera goes on to the next page.
    bool barcodeNaming;
};

class SimulatedPageSwap : public test::MainWindowTest,
                          public testing::WithParamInterface<PageSwapCase> {};

TEST_P(SimulatedPageSwap, EachPageLaidInThePlaceOfTheLastIsOneFileAndEachShotCountedAFile) {
    const PageSwapCase& c = GetParam();
    constexpr int kPages = 3;
    constexpr auto kPeriod = 40ms;
    const QString pages = dir_.File("pages");
    QDir().mkpath(pages);
    std::vector<cv::Mat> details;
    for (int page = 0; page < kPages; ++page) {
        const cv::Mat picture = test::TextPage(100 + page);
        details.push_back(Detail(picture));
        ASSERT_TRUE(
            cv::imwrite(test::Encoded(pages + QStringLiteral("/page%1.png").arg(page)), picture));
    }

    // The pages turn when the test says so.
    const auto origin = std::chrono::steady_clock::now();
    std::atomic<int> shownPage{0};
    UseSimulatedCamera(pages);
    branding_.logo.fill(Qt::darkBlue);
    platform::SimulatedCamera::Reset();
    platform::SimulatedCamera::SetFrameRate(25);
    platform::SimulatedCamera::SetPageClock([&] { return origin + shownPage.load() * 3s; });

    QStringList shown;
    env_.messages = [&](const QString& text, QMessageBox::Icon) {
        shown.append(text);
        if (!c.barcodeNaming) return;
        // The camera shows the next page while the operator reads the box,
        // and the box stays up for several inspection cycles.
        if (shownPage < kPages - 1) ++shownPage;
        QEventLoop box;
        QTimer::singleShot(10 * kPeriod, &box, &QEventLoop::quit);
        box.exec();
    };
    auto dlg = StartWindow(QStringLiteral("[FILE]\nTypeofImageName=0\n[SOUND]\nPlay=false\n"
                                          "[IMAGE]\nDocCamWidth=1600\nDocCamHeight=1200\n"
                                          "[OTHER]\nRECOGNIZE=%1\n[Language]\nCurrent=EN\n")
                               .arg(c.barcodeNaming ? "TRUE" : "FALSE"));
    ASSERT_TRUE(completed_) << shown.join('\n').toStdString();
    const QString saveFolder = dlg->GetSettings().SaveFolder;
    auto saved = [&] { return QDir(saveFolder).entryList(QDir::Files, QDir::Name); };

    dlg->OnCommand(IDC_CONTINUOUS_SHOOT);
    CContinuousShootDlg* shoot = dlg->ShootDlg();
    ASSERT_NE(shoot, nullptr);
    shoot->SetInspectionPeriod(kPeriod);
    shoot->OnStart();
    const QString sameDocument = "Current doc. has been scanned, please change doc.";
    bool allTaken = true;
    for (int page = 0; page < kPages && allTaken; ++page) {
        if (!c.barcodeNaming) shownPage = page;
        // Taken, and then judged the page already taken (not taken twice);
        // with the boxes the camera has gone on to the next page by then.
        const bool judgedAgain = page == kPages - 1 || !c.barcodeNaming;
        allTaken = test::WaitUntil(
            [&] {
                return saved().size() == page + 1 && shoot->ShotCount() == page + 1 &&
                       (!judgedAgain || shoot->StatusLabel()->Text() == sameDocument);
            },
            30s);
    }
    const int counted = shoot->ShotCount();
    shoot->OnStop();  // the window deletes the dialog when it hears of it
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg->ShootDlg(), nullptr);
    dlg->DestroyWindow();

    const QStringList files = saved();
    EXPECT_TRUE(allTaken) << files.join(' ').toStdString() << ", " << counted << " counted";
    ASSERT_EQ(files.size(), kPages) << files.join(' ').toStdString();
    EXPECT_EQ(counted, kPages);
    std::vector<int> pagesShown;
    for (const QString& f : files) {
        const cv::Mat image = cv::imread(test::Encoded(saveFolder + '/' + f));
        ASSERT_FALSE(image.empty()) << f.toStdString();
        pagesShown.push_back(ShownPage(image, details));
    }
    EXPECT_EQ(pagesShown, (std::vector<int>{0, 1, 2})) << files.join(' ').toStdString();
    const QStringList boxes(c.barcodeNaming ? kPages : 0,
                            "It does not recognize a barcode/QR-code");
    EXPECT_EQ(shown, boxes) << shown.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Naming, SimulatedPageSwap,
                         testing::Values(PageSwapCase{"numbered", false},
                                         PageSwapCase{"barcode_naming_without_codes", true}),
                         [](const auto& info) { return test::CaseName(info.param.name); });

}  // namespace
}  // namespace orbisk

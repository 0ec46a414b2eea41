#include "app/continuous_shoot/continuous_shoot_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "app/continuous_shoot/new_page_rule.h"
#include "app/continuous_shoot/shoot_camera.h"
#include "core/command_ids.h"
#include "tests/app/desk_film.h"
#include "tests/support/case_name.h"
#include "tests/support/manual_clock.h"
#include "tests/support/message_log.h"
#include "tests/support/wait_until.h"
#include "ui/label.h"

namespace orbisk {
namespace {

using namespace std::chrono_literals;
using platform::WM_SHOOT_REQUEST;
using Posted = test::MessageLog::Posted;
namespace shoot_ids = ids::shoot_dlg;

constexpr int kEnglish = 2;
const Posted kShootRequest{WM_SHOOT_REQUEST, 0, 0};
const Posted kStopped{WM_SHOOT_REQUEST, 1, 0};

// A camera that plays a script, one shot for each frame asked for; after the
// script it shows its last shot. Counts the frames it was asked for.
class ScriptedCamera : public IShootCamera {
  public:
    explicit ScriptedCamera(std::vector<test::DeskShot> script = {test::Desk()})
        : script_(std::move(script)) {}

    bool HasCamera() override { return true; }
    cv::Mat CurrentFrame() override {
        std::lock_guard lock(mutex_);
        const size_t cycle = asked_++;
        return film_.Frame(script_[std::min(cycle, script_.size() - 1)],
                           static_cast<unsigned>(cycle));
    }
    size_t Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

  private:
    std::mutex mutex_;
    std::vector<test::DeskShot> script_;
    test::DeskFilm film_;
    size_t asked_ = 0;
};

// The dialog on a clock of the test's: time passes only when the test says.
class ShootDialog : public ::testing::Test {
  protected:
    void Open(float interval = 5.0f, int language = kEnglish, bool portrait = false) {
        dialog = std::make_unique<CContinuousShootDlg>(&owner, interval, language);
        dialog->SetPortrait(portrait);
        dialog->SetMessageSink([this](const QString& text) { messages.push_back(text); });
        dialog->SetClock(&clock);
    }
    QString Status() const { return dialog->StatusLabel()->Text(); }
    QString Counter() const { return dialog->CounterLabel()->Text(); }
    QAbstractButton* Button(int id) const { return dialog->Button(id); }
    // Seconds pass.
    void Tick(int seconds = 1) {
        clock.Advance(std::chrono::seconds(seconds));
        QCoreApplication::processEvents();
    }
    void StartTimed(const QString& interval) {
        dialog->Button(shoot_ids::IDC_MODE_TIMED)->click();
        dialog->IntervalEdit()->setText(interval);
        dialog->OnStart();
    }
    // Lets `cycles` inspection cycles of 800 ms run, each to its end.
    bool Cycles(size_t cycles) {
        const bool ran = test::StepWorkerCycles(clock, cycles, 800ms);
        QCoreApplication::processEvents();
        return ran;
    }

    test::ManualClock clock;  // outlives the dialog, which waits on it
    test::MessageLog owner;
    std::unique_ptr<CContinuousShootDlg> dialog;
    std::vector<QString> messages;
};

TEST_F(ShootDialog, OpensIdleInSmartModeOnTheDocumentCamera) {
    Open(5.0f, 0);
    EXPECT_EQ(dialog->Mode(), CContinuousShootDlg::kSmartMode);
    EXPECT_TRUE(Button(shoot_ids::IDC_MODE_SMART)->isChecked());
    EXPECT_TRUE(Button(shoot_ids::IDC_MODE_SMART)->isEnabled());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("连续拍摄"));
    EXPECT_EQ(Counter(), QString::fromUtf8("当前已经拍摄0张图像"));
    EXPECT_EQ(Status(), QString::fromUtf8("请单击开始连拍"));
    EXPECT_EQ(dialog->IntervalEdit()->text(), "5");
    EXPECT_TRUE(Button(ids::ID_OK)->isEnabled());
    EXPECT_FALSE(Button(shoot_ids::IDC_PAUSE)->isEnabled());
    EXPECT_EQ(dialog->StatusLabel()->FontDescription().pointSize(), 8);
    EXPECT_TRUE(dialog->CounterLabel()->FontDescription().bold());
}

TEST_F(ShootDialog, TraditionalChineseReadsAsSimplifiedAndEnglishHasItsOwnTexts) {
    Open(5.0f, 1);
    EXPECT_EQ(Status(), QString::fromUtf8("请单击开始连拍"));
    Open(5.0f, kEnglish);
    EXPECT_EQ(dialog->windowTitle(), "Continuous capturing");
    EXPECT_EQ(Button(ids::ID_OK)->text(), "Start");
    EXPECT_EQ(Button(shoot_ids::IDC_MODE_SMART)->text(), "Intelligent");
    EXPECT_EQ(Counter(), "Already shot 0 image now");
    EXPECT_EQ(Status(), "Please click \"Start\" to continuous Capturing");
}

TEST_F(ShootDialog, OnThePortraitCameraOnlyTimedModeIsOffered) {
    Open(5.0f, kEnglish, true);
    EXPECT_EQ(dialog->Mode(), CContinuousShootDlg::kTimedMode);
    EXPECT_TRUE(Button(shoot_ids::IDC_MODE_TIMED)->isChecked());
    EXPECT_FALSE(Button(shoot_ids::IDC_MODE_SMART)->isEnabled());

    dialog->OnStart();
    EXPECT_TRUE(dialog->IsCountingDown());
    EXPECT_FALSE(dialog->IsInspecting());
    EXPECT_EQ(Status(), "Capture next pic in 5.0 seconds");
}

TEST_F(ShootDialog, TimedModeShootsOneIntervalAfterTheStartAndEveryIntervalOnward) {
    Open(5.04f);
    EXPECT_FLOAT_EQ(dialog->Interval(), 5.0f);
    dialog->Button(shoot_ids::IDC_MODE_TIMED)->click();
    dialog->OnStart();
    EXPECT_FALSE(Button(ids::ID_OK)->isEnabled());
    EXPECT_TRUE(Button(shoot_ids::IDC_PAUSE)->isEnabled());

    Tick(4);
    EXPECT_TRUE(owner.posted.empty());
    EXPECT_EQ(Status(), "Capture next pic in 1.0 seconds");
    Tick();
    EXPECT_EQ(owner.posted, std::vector<Posted>{kShootRequest});
    EXPECT_EQ(Counter(), "Already shot 1 image now");
    EXPECT_EQ(Status(), "Capture next pic in 5.0 seconds");
    Tick(5);
    EXPECT_EQ(owner.posted, (std::vector<Posted>{kShootRequest, kShootRequest}));
    EXPECT_EQ(dialog->ShotCount(), 2);

    dialog->OnPause();
    EXPECT_FALSE(dialog->IsCountingDown());
    EXPECT_EQ(clock.Timers(), 0);
    Tick(10);
    EXPECT_EQ(dialog->ShotCount(), 2);
    EXPECT_EQ(Status(), "Please click \"Start\" to continuous Capturing");
    EXPECT_TRUE(Button(ids::ID_OK)->isEnabled());
    EXPECT_FALSE(Button(shoot_ids::IDC_PAUSE)->isEnabled());
}

TEST_F(ShootDialog, HalfASecondTypedShootsOnEveryTick) {
    Open();
    StartTimed("0.5");
    Tick(3);
    EXPECT_EQ(owner.posted, std::vector<Posted>(3, kShootRequest));
    EXPECT_EQ(Status(), "Capture next pic in 0.5 seconds");
}

TEST_F(ShootDialog, WhileTheOwnerCapturesTheCountdownStandsStill) {
    Open();
    StartTimed("1");
    dialog->HoldShots(true);
    Tick(3);
    EXPECT_TRUE(owner.posted.empty());
    EXPECT_EQ(dialog->ShotCount(), 0);
    EXPECT_EQ(dialog->CountdownMs(), 1000);

    dialog->HoldShots(false);
    Tick();
    EXPECT_EQ(owner.posted, std::vector<Posted>{kShootRequest});
    EXPECT_EQ(dialog->ShotCount(), 1);
}

TEST_F(ShootDialog, WhileTheOwnerCapturesTheInspectionTakesNoFrame) {
    // A page at rest from the start: unheld, it is shot in the third cycle.
    ScriptedCamera camera({test::PageAt(1)});
    Open();
    dialog->SetCamera(&camera);
    dialog->HoldShots(true);
    dialog->OnStart();
    const bool held = Cycles(5) && dialog->HeldCycles() == 5;
    const size_t askedWhileHeld = camera.Asked();

    dialog->HoldShots(false);
    // Three cycles see the page: the third shoots.
    EXPECT_TRUE(Cycles(3));
    const bool shot = test::WaitUntil([&] { return dialog->ShotCount() == 1; });
    // The camera is the test's: the inspection ends before it goes.
    dialog->OnStop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(held);
    EXPECT_EQ(askedWhileHeld, 0u);
    EXPECT_TRUE(shot);
    EXPECT_EQ(owner.posted, (std::vector<Posted>{kShootRequest, kStopped}));
}

class RefusedInterval : public ShootDialog, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedInterval, DoesNotStart) {
    Open();
    StartTimed(QString::fromUtf8(GetParam()));
    EXPECT_FALSE(dialog->IsCountingDown());
    EXPECT_TRUE(Button(ids::ID_OK)->isEnabled());
    EXPECT_FALSE(Button(shoot_ids::IDC_PAUSE)->isEnabled());
    EXPECT_EQ(messages, std::vector<QString>{"Enter an interval between 0.5 and 3600 seconds"});
    Tick(10);
    EXPECT_TRUE(owner.posted.empty());
    EXPECT_FLOAT_EQ(dialog->Interval(), 5.0f);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedInterval,
                         ::testing::Values("0", "-5", "0.4", "3601", "1e30", "many"),
                         [](const auto& info) {
                             return test::CaseName(std::string("text"), info.param);
                         });

TEST_F(ShootDialog, ShowsEachStatusOfTheInspection) {
    Open();
    struct Row {
        ShootStatus status;
        const char* text;
        int count;
    };
    const Row rows[] = {
        {ShootStatus::kNoDocument, "No doc.", 0},
        {ShootStatus::kNewDocument, "New doc. has been detected", 1},
        {ShootStatus::kSameDocument, "Current doc. has been scanned, please change doc.", 1},
        {ShootStatus::kNoCamera, "Failed to get video data", 1},
        {ShootStatus::kNewDocument, "New doc. has been detected", 2},
    };
    for (const Row& r : rows) {
        platform::PostWindowMessage(dialog.get(), platform::WM_SHOOT_STATUS, 0,
                                    static_cast<int>(r.status));
        QCoreApplication::processEvents();
        EXPECT_EQ(Status(), r.text);
        EXPECT_EQ(dialog->ShotCount(), r.count);
    }
    EXPECT_EQ(Counter(), "Already shot 2 image now");
}

TEST_F(ShootDialog, SmartModeWithoutACameraReportsItAndShootsNothing) {
    Open();
    dialog->OnStart();
    EXPECT_EQ(Status(), "Detecting image");
    EXPECT_TRUE(dialog->IsInspecting());
    ASSERT_TRUE(Cycles(1));
    EXPECT_TRUE(test::WaitUntil([&] { return Status() == "Failed to get video data"; }));

    struct Controller {
        cv::Mat GetFrame() { return {}; }
    };
    ControllerShootCamera<Controller> noController(nullptr);
    dialog->SetCamera(&noController);
    ASSERT_TRUE(Cycles(3));
    dialog->OnPause();
    QCoreApplication::processEvents();
    EXPECT_EQ(Status(), "Please click \"Start\" to continuous Capturing");
    EXPECT_TRUE(owner.posted.empty());
    EXPECT_EQ(dialog->ShotCount(), 0);
}

TEST_F(ShootDialog, StopDuringTheWaitEndsTheThreadAtOnce) {
    Open();
    ScriptedCamera camera;
    dialog->SetCamera(&camera);
    dialog->OnStart();  // cycles of 800 ms
    ASSERT_TRUE(test::WaitUntil([&] { return clock.Waiting() == 1; }));
    ASSERT_TRUE(dialog->IsInspecting());

    dialog->OnStop();
    EXPECT_FALSE(dialog->IsInspecting());
    // The stop ended the wait: no time passed, and no wait ran out.
    EXPECT_EQ(clock.Now(), 0ms);
    EXPECT_EQ(clock.Waiting(), 0);
    EXPECT_EQ(clock.GaveUp(), 0);
    EXPECT_EQ(camera.Asked(), 0u);
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.posted, std::vector<Posted>{kStopped});
}

TEST_F(ShootDialog, EscapeAndTheCloseBoxStopLikeTheStopButton) {
    Open();
    dialog->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.get(), &escape);
    dialog->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.posted, (std::vector<Posted>{kStopped, kStopped}));
    EXPECT_TRUE(dialog->isVisible()) << "the owner deletes it";
}

TEST_F(ShootDialog, DeletingItWhileInspectingEndsTheThreadFirst) {
    Open();
    ScriptedCamera camera;
    dialog->SetCamera(&camera);
    dialog->OnStart();
    ASSERT_TRUE(Cycles(2));
    EXPECT_EQ(camera.Asked(), 2u);
    dialog.reset();
    // No inspection waits for its next cycle, and none comes.
    EXPECT_EQ(clock.Waiting(), 0);
    EXPECT_EQ(clock.GaveUp(), 0);
    clock.Advance(1h);
    EXPECT_EQ(camera.Asked(), 2u);
}

TEST_F(ShootDialog, PagesLaidDownInTurnAreEachRequestedOnceAndAnEmptyDeskNever) {
    using test::Desk;
    using test::PageAt;
    std::vector<test::DeskShot> script(3, Desk());
    constexpr int kPages = 4;
    for (int page = 1; page <= kPages; ++page) {
        script.push_back(PageAt(page, {400.0f + 50 * page, 600}));  // sliding in
        script.insert(script.end(), 6, PageAt(page, {500.0f + 60 * page, 600}));
        script.insert(script.end(), 3, Desk());
    }
    // Then a minute of the wood desk.
    script.insert(script.end(), 75, Desk(test::EmptyDesk::Wood));
    ScriptedCamera camera(script);

    Open();
    dialog->SetCamera(&camera);
    dialog->OnStart();
    const bool played = Cycles(script.size() + 1);
    dialog->OnStop();
    ASSERT_TRUE(played);
    EXPECT_EQ(camera.Asked(), script.size() + 1);
    QCoreApplication::processEvents();

    std::vector<Posted> expected(kPages, kShootRequest);
    expected.push_back(kStopped);
    EXPECT_EQ(owner.posted, expected);
    EXPECT_EQ(dialog->ShotCount(), kPages);
    EXPECT_EQ(Counter(), "Already shot 4 image now");
    EXPECT_EQ(Status(), "No doc.");
}

TEST(ControllerShootCamera, AsksTheControllerForItsFrame) {
    struct Controller {
        cv::Mat GetFrame() { return cv::Mat(2, 3, CV_8UC3, cv::Scalar::all(7)); }
    } controller;
    ControllerShootCamera<Controller> camera(&controller);
    EXPECT_TRUE(camera.HasCamera());
    EXPECT_EQ(camera.CurrentFrame().size(), cv::Size(3, 2));

    ControllerShootCamera<Controller> none(nullptr);
    EXPECT_FALSE(none.HasCamera());
    EXPECT_TRUE(none.CurrentFrame().empty());
}

}  // namespace
}  // namespace orbisk

#include "video/dialogs/video_to_file_dlg.h"

#include "core/command_ids.h"
#include "tests/support/case_name.h"
#include "ui/label.h"
#include "video/camera_controller.h"
#include "video/dialogs/recording_camera.h"
#include "video/dialogs/video_to_file_texts.h"
#include "video/video_recorder.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <string>
#include <vector>

namespace orbisk {
namespace {

using Texts = VideoToFileTexts;

// A camera that writes down what the dialog asks and answers as told.
class FakeCamera : public IRecordingCamera {
  public:
    int StartRecording(const QString& path, int width, int height, int framesPerSecond,
                       int bitRate) override {
        calls.push_back("Start(" + path.toStdString() + "," + std::to_string(width) + "," +
                        std::to_string(height) + "," + std::to_string(framesPerSecond) + "," +
                        std::to_string(bitRate) + ")");
        return startResult;
    }
    int StopRecording() override {
        calls.push_back("Stop");
        return stopResult;
    }
    int RecordingStatus() override { return status; }

    std::vector<std::string> calls;
    int startResult = kSOk;
    int stopResult = kSOk;
    int status = kSOk;
};

class RecordingDialog : public testing::Test {
  protected:
    std::unique_ptr<CCVideoToFile> Make(int language = 2) {
        auto dialog = std::make_unique<CCVideoToFile>(nullptr, language);
        dialog->SetFilePath("/videos/0001.asf");
        dialog->SetRecordingCamera(&camera);
        dialog->SetClock([this] { return nowMs; });
        dialog->SetMessageSink([this](const QString& text) { messages.push_back(text); });
        return dialog;
    }
    static QString Label(const CCVideoToFile& d) { return d.StatusLabel()->Text(); }

    FakeCamera camera;
    qint64 nowMs = 5000;
    QStringList messages;
};

struct LanguageCase {
    int language;
    int shownAs;  // the language of the texts shown
};

class RecordingDialogTexts : public RecordingDialog,
                             public testing::WithParamInterface<LanguageCase> {};

TEST_P(RecordingDialogTexts, ShowsTheLanguagesTexts) {
    const int shown = GetParam().shownAs;
    auto dialog = Make(GetParam().language);
    EXPECT_EQ(dialog->windowTitle(), Texts::kTitle.In(shown));
    EXPECT_EQ(dialog->Button(ids::ID_OK)->text(), Texts::kStart.In(shown));
    EXPECT_EQ(dialog->Button(ids::ID_CANCEL)->text(), Texts::kCancel.In(shown));
    EXPECT_EQ(dialog->Button(ids::record_dlg::IDC_AUDIO_DEVICES)->text(),
              Texts::kAudioDevices.In(shown));
    EXPECT_EQ(Label(*dialog), Texts::kPrompt.In(shown));
    EXPECT_TRUE(dialog->StatusLabel()->FontDescription().bold());
    EXPECT_EQ(dialog->StatusLabel()->FontDescription().pointSize(), 8);

    dialog->OnStart();
    EXPECT_EQ(dialog->Button(ids::ID_CANCEL)->text(), Texts::kStop.In(shown));
    EXPECT_TRUE(Label(*dialog).startsWith(Texts::kElapsedPrefix.In(shown)));
}

INSTANTIATE_TEST_SUITE_P(Languages, RecordingDialogTexts,
                         testing::Values(LanguageCase{0, 0}, LanguageCase{1, 1}, LanguageCase{2, 2},
                                         LanguageCase{7, 0}),
                         [](const auto& info) { return test::CaseName(info.param.language); });

TEST_F(RecordingDialog, StartRecordsTheFixedFormatAndShowsTheSeconds) {
    auto dialog = Make();
    dialog->OnStart();
    EXPECT_EQ(camera.calls,
              (std::vector<std::string>{"Start(/videos/0001.asf,1280,960,10,462500)"}));
    EXPECT_FALSE(dialog->Button(ids::ID_OK)->isEnabled());
    EXPECT_TRUE(dialog->IsTimerRunning());
    EXPECT_EQ(dialog->CurrentState(), CCVideoToFile::State::kRecording);
    EXPECT_EQ(Label(*dialog), Texts::kElapsedPrefix.In(2) + "0.0");

    nowMs += 12'345;
    dialog->OnTimer();
    EXPECT_EQ(Label(*dialog), Texts::kElapsedPrefix.In(2) + "12.3");
    nowMs = 5000 + 65'000;
    dialog->OnTimer();
    EXPECT_EQ(Label(*dialog), Texts::kElapsedPrefix.In(2) + "65.0");
    // A second Start changes nothing.
    dialog->OnStart();
    EXPECT_EQ(camera.calls.size(), 1u);

    dialog->OnStop();
    EXPECT_EQ(camera.calls.back(), "Stop");
    EXPECT_FALSE(dialog->IsTimerRunning());
    EXPECT_TRUE(dialog->Recorded());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RecordingDialog, ClosingBeforeStartAsksTheCameraToStopOnce) {
    auto dialog = Make();
    dialog->reject();  // Escape and the close box
    EXPECT_EQ(camera.calls, (std::vector<std::string>{"Stop"}));
    EXPECT_FALSE(dialog->Recorded());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RecordingDialog, DestroyedWhileRecordingStopsTheRecording) {
    auto dialog = Make();
    dialog->OnStart();
    dialog.reset();
    EXPECT_EQ(camera.calls.size(), 2u);
    EXPECT_EQ(camera.calls.back(), "Stop");
}

TEST_F(RecordingDialog, FailedStartSaysSoAndStaysReady) {
    camera.startResult = kEFail;
    auto dialog = Make(1);
    dialog->OnStart();
    EXPECT_EQ(messages, QStringList{Texts::kStartFailed.In(1)});
    EXPECT_TRUE(dialog->Button(ids::ID_OK)->isEnabled());
    EXPECT_EQ(dialog->Button(ids::ID_CANCEL)->text(), Texts::kCancel.In(1));
    EXPECT_FALSE(dialog->IsTimerRunning());
    EXPECT_EQ(Label(*dialog), Texts::kPrompt.In(1));
    EXPECT_EQ(dialog->CurrentState(), CCVideoToFile::State::kReady);

    // Another try that works records.
    camera.startResult = kSOk;
    dialog->OnStart();
    EXPECT_EQ(dialog->CurrentState(), CCVideoToFile::State::kRecording);
    dialog->OnStop();
    EXPECT_TRUE(dialog->Recorded());
}

TEST_F(RecordingDialog, FailedStartThenCloseReportsNothingRecorded) {
    camera.startResult = kEFail;
    auto dialog = Make();
    dialog->OnStart();
    dialog->OnStop();
    EXPECT_FALSE(dialog->Recorded());
    EXPECT_EQ(camera.calls.back(), "Stop");
}

struct WriteErrorCase {
    std::string name;
    int stopResult;
    bool recorded;
};

class RecordingDialogWriteError : public RecordingDialog,
                                  public testing::WithParamInterface<WriteErrorCase> {};

TEST_P(RecordingDialogWriteError, EndsTheRecordingWithAMessage) {
    camera.stopResult = GetParam().stopResult;
    auto dialog = Make();
    dialog->OnStart();
    nowMs += 3'000;
    dialog->OnTimer();
    EXPECT_TRUE(messages.isEmpty());
    camera.status = kEDiskFull;  // the recording ended by itself
    nowMs += 200;
    dialog->OnTimer();
    EXPECT_FALSE(dialog->IsTimerRunning());
    EXPECT_EQ(camera.calls.back(), "Stop");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              Texts::kWriteFailed.In(2) + "\n" +
                  (GetParam().recorded ? Texts::kPartKept : Texts::kNothingKept).In(2));
    EXPECT_EQ(dialog->Recorded(), GetParam().recorded);
    EXPECT_EQ(Label(*dialog), Texts::kElapsedPrefix.In(2) + "3.2");
    EXPECT_FALSE(dialog->Button(ids::ID_OK)->isEnabled());

    // Closing afterwards asks nothing more of the camera.
    const size_t calls = camera.calls.size();
    dialog->reject();
    EXPECT_EQ(camera.calls.size(), calls);
    EXPECT_EQ(dialog->Recorded(), GetParam().recorded);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, RecordingDialogWriteError,
                         testing::Values(WriteErrorCase{"PartKept", kSTruncated, true},
                                         WriteErrorCase{"NothingKept", kEDiskFull, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(RecordingDialog, AWriteErrorJustBeforeTheStopIsReportedToo) {
    camera.stopResult = kSTruncated;
    auto dialog = Make();
    dialog->OnStart();
    dialog->OnStop();
    EXPECT_TRUE(dialog->Recorded());
    EXPECT_EQ(messages, QStringList{Texts::kWriteFailed.In(2) + "\n" + Texts::kPartKept.In(2)});
}

TEST_F(RecordingDialog, ControllerWithoutPreviewFailsTheStart) {
    CCameraController controller(1, 0);
    auto dialog = Make();
    dialog->SetCamera(&controller);
    dialog->OnStart();
    EXPECT_EQ(messages, QStringList{Texts::kStartFailed.In(2)});
    EXPECT_EQ(dialog->CurrentState(), CCVideoToFile::State::kReady);
    dialog->OnStop();
    EXPECT_FALSE(dialog->Recorded());
}

struct PlaceCase {
    std::string name;
    QRect preview;
    QPoint expected;  // for a 400 x 110 dialog
};

class RecordingDialogPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(RecordingDialogPlace, CentresOnThePreviewsBottom) {
    EXPECT_EQ(CCVideoToFile::PlaceOnPreview(QSize(400, 110), GetParam().preview),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Previews, RecordingDialogPlace,
    testing::Values(PlaceCase{"Wide", QRect(100, 50, 800, 600), QPoint(300, 540)},
                    PlaceCase{"OddWidth", QRect(0, 0, 801, 600), QPoint(200, 490)},
                    PlaceCase{"NarrowerThanTheDialog", QRect(10, 0, 201, 300), QPoint(-89, 190)}),
    [](const auto& info) { return info.param.name; });

TEST_F(RecordingDialog, ShownOnThePreview) {
    auto dialog = Make();
    dialog->resize(400, 110);
    dialog->SetPreviewRect(QRect(100, 50, 800, 600));
    dialog->show();
    EXPECT_EQ(dialog->pos(),
              CCVideoToFile::PlaceOnPreview(dialog->size(), QRect(100, 50, 800, 600)));
    dialog->hide();
}

TEST_F(RecordingDialog, AudioDevicesButtonStartsTheMixerWhenThereIsOne) {
    auto dialog = Make();
    QPushButton* button = dialog->Button(ids::record_dlg::IDC_AUDIO_DEVICES);
    dialog->SetAudioDevicesProgram(QString());
    EXPECT_FALSE(button->isEnabled());

    QStringList started;
    dialog->SetProgramLauncher([&](const QString& program, const QStringList& arguments) {
        started << program << arguments;
        return true;
    });
    dialog->SetAudioDevicesProgram("/usr/bin/pavucontrol");
    EXPECT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(started, (QStringList{"/usr/bin/pavucontrol", "--tab=4"}));
    EXPECT_EQ(dialog->CurrentState(), CCVideoToFile::State::kReady);
    EXPECT_TRUE(camera.calls.empty());
}

}  // namespace
}  // namespace orbisk

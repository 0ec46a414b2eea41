#include "video/dialogs/video_to_file_dlg.h"

#include "core/command_ids.h"
#include "ui/label.h"
#include "video/dialogs/recording_camera.h"
#include "video/dialogs/video_to_file_texts.h"
#include "video/video_recorder.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace orbisk {
namespace {

namespace record_ids = ids::record_dlg;

constexpr int kLabelPoints = 8;
// pavucontrol's tab of the input devices.
const QStringList kAudioDevicesArguments = {QStringLiteral("--tab=4")};

}  // namespace

CCVideoToFile::CCVideoToFile(QWidget* owner, int language)
    : QDialog(owner),
      language_(language),
      messageSink_([this](const QString& text) { QMessageBox::warning(this, QString(), text); }),
      launcher_([](const QString& program, const QStringList& arguments) {
          return QProcess::startDetached(program, arguments);
      }) {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    clock_ = [elapsed] { return elapsed->elapsed(); };

    status_ = new CLabel(QString(), CLabel::kLeft, this);
    status_->setMinimumHeight(24);
    startButton_ = new QPushButton(this);
    stopButton_ = new QPushButton(this);
    audioButton_ = new QPushButton(this);
    startButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { OnStop(); });
    connect(audioButton_, &QPushButton::clicked, this, [this] { OnManageAudioDevices(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(stopButton_);
    buttons->addStretch();
    buttons->addWidget(audioButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    setMinimumWidth(400);

    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });

    ApplyTexts(0);
    SetTexts(language_);
    status_->SetText(Text(VideoToFileTexts::kPrompt));
    status_->SetFontSize(kLabelPoints).SetFontBold(true);
    SetAudioDevicesProgram(QStandardPaths::findExecutable(QStringLiteral("pavucontrol")));
}

CCVideoToFile::~CCVideoToFile() {
    // Taken down with its owner while recording: the file is finished still.
    if (state_ == State::kRecording && camera_) {
        camera_->StopRecording();
    }
}

void CCVideoToFile::SetCamera(CCameraController* camera) {
    ownCamera_ = camera ? std::make_unique<ControllerRecordingCamera>(camera) : nullptr;
    camera_ = ownCamera_.get();
}

void CCVideoToFile::SetAudioDevicesProgram(const QString& program) {
    audioProgram_ = program;
    audioButton_->setEnabled(!program.isEmpty());
}

void CCVideoToFile::SetTexts(int language) {
    if (language == 1 || language == 2) {
        ApplyTexts(language);
    }
}

void CCVideoToFile::ApplyTexts(int language) {
    setWindowTitle(VideoToFileTexts::kTitle.In(language));
    startButton_->setText(VideoToFileTexts::kStart.In(language));
    audioButton_->setText(VideoToFileTexts::kAudioDevices.In(language));
    stopButton_->setText(VideoToFileTexts::kCancel.In(language));
}

QPushButton* CCVideoToFile::Button(int controlId) const {
    switch (controlId) {
        case ids::ID_OK:
            return startButton_;
        case ids::ID_CANCEL:
            return stopButton_;
        case record_ids::IDC_AUDIO_DEVICES:
            return audioButton_;
        default:
            return nullptr;
    }
}

QPoint CCVideoToFile::PlaceOnPreview(const QSize& dialog, const QRect& preview) {
    // Integer halving truncates toward zero, as a narrow preview's negative
    // offset does too.
    return {preview.left() + (preview.width() - dialog.width()) / 2,
            preview.top() + preview.height() - dialog.height()};
}

void CCVideoToFile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_ && previewRect_.isValid()) {
        placed_ = true;
        move(PlaceOnPreview(size(), previewRect_));
    }
}

void CCVideoToFile::OnStart() {
    if (state_ != State::kReady) {
        return;
    }
    const int result =
        camera_ ? camera_->StartRecording(path_, kWidth, kHeight, kFramesPerSecond, kBitRate)
                : kEPointer;
    if (result < 0) {
        // Nothing runs: the dialog stays ready for another try.
        messageSink_(Text(VideoToFileTexts::kStartFailed));
        return;
    }
    state_ = State::kRecording;
    startMs_ = clock_();
    timer_.start();
    startButton_->setEnabled(false);
    stopButton_->setText(Text(VideoToFileTexts::kStop));
    ShowElapsed();
}

void CCVideoToFile::OnTimer() {
    if (state_ != State::kRecording) {
        return;
    }
    ShowElapsed();
    const int status = camera_->RecordingStatus();
    // kEPointer: the camera holds no recording (nothing to report of it).
    if (status < 0 && status != kEPointer) {
        EndAfterFailure();
    }
}

void CCVideoToFile::ShowElapsed() {
    const double seconds = static_cast<double>(clock_() - startMs_) / 1000.0;
    status_->SetText(Text(VideoToFileTexts::kElapsedPrefix) + QString::asprintf("%.1f", seconds));
}

void CCVideoToFile::EndAfterFailure() {
    timer_.stop();
    state_ = State::kEnded;
    TakeStopResult(camera_->StopRecording(), true);
}

void CCVideoToFile::TakeStopResult(int result, bool failed) {
    recorded_ = result >= 0;
    // A write error may also have ended the recording just before the stop.
    failed = failed || result == kSTruncated || (result < 0 && result != kEPointer);
    if (failed) {
        messageSink_(
            Text(VideoToFileTexts::kWriteFailed) + QLatin1Char('\n') +
            Text(recorded_ ? VideoToFileTexts::kPartKept : VideoToFileTexts::kNothingKept));
    }
}

void CCVideoToFile::OnStop() {
    timer_.stop();
    if (camera_) {
        if (state_ == State::kRecording) {
            state_ = State::kEnded;
            TakeStopResult(camera_->StopRecording(), false);
        } else if (state_ == State::kReady) {
            // No recording: the camera answers that there is none.
            camera_->StopRecording();
        }
    }
    state_ = State::kEnded;
    done(QDialog::Rejected);
}

void CCVideoToFile::OnManageAudioDevices() {
    if (!audioProgram_.isEmpty()) {
        launcher_(audioProgram_, kAudioDevicesArguments);
    }
}

void CCVideoToFile::reject() { OnStop(); }

}  // namespace orbisk

#pragma once

#include "platform/language_text.h"

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QPushButton;

namespace orbisk {

class CCameraController;
class CLabel;
class IRecordingCamera;

// The small modal dialog through which the operator records video from a
// camera into an ASF file: Start records 1280 x 960 at 10 frames a second
// and 462500 bits a second, the label shows the seconds recorded, and
// closing stops the recording. A start that fails, or a write the file
// refuses, is reported with a message; Recorded() tells the caller whether
// a file was made.
class CCVideoToFile : public QDialog {
  public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 960;
    static constexpr int kFramesPerSecond = 10;
    static constexpr int kBitRate = 462500;
    static constexpr int kTimerMs = 200;

    // `language` 0 simplified Chinese, 1 traditional Chinese, 2 English;
    // any other index keeps the simplified Chinese texts.
    CCVideoToFile(QWidget* owner, int language);
    ~CCVideoToFile() override;

    // Set before the dialog runs: the ".asf" file, the camera (not owned;
    // none records nothing) and the main window's preview area in screen
    // coordinates, on which the dialog sits centred, bottom on bottom.
    void SetFilePath(const QString& path) { path_ = path; }
    void SetCamera(CCameraController* camera);
    void SetRecordingCamera(IRecordingCamera* camera) { camera_ = camera; }
    void SetPreviewRect(const QRect& rect) { previewRect_ = rect; }

    // Whether a file was recorded: a recording started and, after it ended,
    // its file (or the part of it before a write error) was kept. The capture
    // variants add its tile and advance the index only then.
    bool Recorded() const { return recorded_; }

    // Seams: a monotonic clock in milliseconds (a QElapsedTimer by default),
    // where operator messages go (a warning box), and the program that
    // manages the audio devices (pavucontrol when installed; empty disables
    // the button) with the way it is started (detached).
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    void SetMessageSink(std::function<void(const QString&)> sink) {
        messageSink_ = std::move(sink);
    }
    void SetAudioDevicesProgram(const QString& program);
    void SetProgramLauncher(std::function<bool(const QString&, const QStringList&)> launcher) {
        launcher_ = std::move(launcher);
    }

    // The handlers, reachable without a mouse.
    void OnStart();
    void OnStop();
    void OnManageAudioDevices();
    void OnTimer();
    // Languages 1 and 2; any other leaves the texts as they are.
    void SetTexts(int language);

    enum class State { kReady, kRecording, kEnded };
    State CurrentState() const { return state_; }
    QPushButton* Button(int controlId) const;
    const CLabel* StatusLabel() const { return status_; }
    bool IsTimerRunning() const { return timer_.isActive(); }

    // The dialog's top-left corner on the preview: centred horizontally, its
    // bottom on the preview's bottom (left of the preview when it is wider).
    static QPoint PlaceOnPreview(const QSize& dialog, const QRect& preview);

    // Escape and the close box stop, like button 2.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString Text(const platform::LanguageText& text) const { return text.In(language_); }
    void ShowElapsed();
    // The recording ended by itself: it is stopped, and the operator hears
    // why and what was kept.
    void EndAfterFailure();
    // What the stop answered: whether a file was kept, and the message when
    // a write error ended the recording.
    void TakeStopResult(int result, bool failed);
    void ApplyTexts(int language);

    int language_;
    QString path_;
    IRecordingCamera* camera_ = nullptr;
    std::unique_ptr<IRecordingCamera> ownCamera_;
    QRect previewRect_;
    bool placed_ = false;
    State state_ = State::kReady;
    bool recorded_ = false;
    qint64 startMs_ = 0;

    std::function<qint64()> clock_;
    std::function<void(const QString&)> messageSink_;
    QString audioProgram_;
    std::function<bool(const QString&, const QStringList&)> launcher_;

    CLabel* status_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* audioButton_ = nullptr;
    QTimer timer_;
};

}  // namespace orbisk

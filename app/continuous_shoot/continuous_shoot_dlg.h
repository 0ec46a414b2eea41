#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "app/continuous_shoot/inspection_loop.h"
#include "platform/language_text.h"
#include "platform/pacing_clock.h"
#include "platform/worker_thread.h"

class QAbstractButton;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orbisk {

class CLabel;
class IShootCamera;

// The small modeless dialog of continuous shooting: timed (a shot every
// interval) or smart (a shot whenever a new page has come to rest under the
// camera, judged on an inspection thread). It never captures itself: it posts
// WM_SHOOT_REQUEST 0 to its owner for each shot, and WM_SHOOT_REQUEST 1 when
// the operator stops, after which the owner deletes it. The counter counts
// requests, not files.
class CContinuousShootDlg : public QDialog {
  public:
    // `interval` in seconds (cut to tenths; out of range gives 5.0);
    // `language` 0 simplified Chinese, 1 traditional Chinese, 2 English.
    CContinuousShootDlg(QObject* owner, float interval, int language, QWidget* parent = nullptr);
    ~CContinuousShootDlg() override;

    // The camera to watch, not owned; null means none. It must outlive the
    // inspection (stop it first).
    void SetCamera(IShootCamera* camera) { camera_ = camera; }
    // Opened on the portrait camera: timed mode only. Otherwise smart mode is
    // preselected. Call before the first start.
    void SetPortrait(bool portrait);
    // Where operator messages go; by default a warning box over the dialog.
    void SetMessageSink(std::function<void(const QString&)> sink) {
        messageSink_ = std::move(sink);
    }
    // The inspection's cycle; 800 ms unless a test shortens it.
    void SetInspectionPeriod(std::chrono::milliseconds period) { inspectionPeriod_ = period; }
    // The clock of the countdown and of the inspection's cycles: the system's
    // unless a test gives its own. Not owned; set it while idle.
    void SetClock(platform::PacingClock* clock) { clock_ = clock; }
    // While the owner captures it can take no shot, so none is made: the
    // inspection skips its cycles (its history waits with it) and the
    // countdown stands still. Every shot counted is one the owner takes.
    void HoldShots(bool held) { hold_.held = held; }
    bool ShotsHeld() const { return hold_.held; }
    // The inspection cycles that passed held.
    long HeldCycles() const { return hold_.skipped; }

    // The handlers, reachable without a mouse.
    void OnStart();
    void OnPause();
    void OnStop();
    // One tick of a timed run's countdown (timer IDT_COUNTDOWN).
    void OnTimer(int timerId);
    // A WM_SHOOT_STATUS of the inspection (a ShootStatus).
    void OnShootStatus(int status);
    // Ends the inspection thread and waits for it; nothing when none runs.
    void StopInspectThread();

    static constexpr int kTimedMode = 0;
    static constexpr int kSmartMode = 1;
    int Mode() const { return mode_; }
    float Interval() const { return interval_; }
    int CountdownMs() const { return countdownMs_; }
    int ShotCount() const { return shotCount_; }
    bool IsInspecting() const { return inspection_.Running(); }
    bool IsCountingDown() const { return countdown_ != nullptr; }
    // A control by its id (buttons, radios), the edit and the two labels.
    QAbstractButton* Button(int controlId) const;
    QLineEdit* IntervalEdit() const { return intervalEdit_; }
    const CLabel* CounterLabel() const { return counterLabel_; }
    const CLabel* StatusLabel() const { return statusLabel_; }

    // Escape and the close box stop, like the stop button.
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    // The mode and interval chosen; false (with a message) for a timed run
    // whose interval is refused.
    bool TakeControlValues();
    void ShowStatus(const QString& status);
    void ShowCounter();
    QString Text(const platform::LanguageText& text) const { return text.In(language_); }

    QObject* owner_;
    int language_;
    float interval_;
    int countdownMs_;
    int shotCount_ = 0;
    int mode_ = kTimedMode;
    std::atomic<IShootCamera*> camera_{nullptr};
    InspectionHold hold_;
    std::chrono::milliseconds inspectionPeriod_{800};
    platform::PacingClock* clock_ = &platform::SystemPacingClock();
    std::unique_ptr<platform::IntervalTimer> countdown_;  // while a timed run counts down
    std::function<void(const QString&)> messageSink_;

    QPushButton* startButton_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QRadioButton* timedRadio_ = nullptr;
    QRadioButton* smartRadio_ = nullptr;
    QLineEdit* intervalEdit_ = nullptr;
    CLabel* counterLabel_ = nullptr;
    CLabel* statusLabel_ = nullptr;

    // Last, so that it ends before anything it reads goes.
    platform::WorkerThread inspection_;
};

}  // namespace orbisk

#include "app/continuous_shoot/continuous_shoot_dlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/continuous_shoot/inspection_loop.h"
#include "app/continuous_shoot/new_page_rule.h"
#include "app/continuous_shoot/shoot_interval.h"
#include "app/continuous_shoot/shoot_texts.h"
#include "core/command_ids.h"
#include "platform/window_messages.h"
#include "ui/label.h"

namespace orbisk {
namespace {

namespace shoot_ids = ids::shoot_dlg;

constexpr int kLabelPoints = 8;

}  // namespace

CContinuousShootDlg::CContinuousShootDlg(QObject* owner, float interval, int language,
                                         QWidget* parent)
    : QDialog(parent),
      owner_(owner),
      language_(language),
      interval_(OpeningShootInterval(interval)),
      countdownMs_(IntervalCountdownMs(interval_)),
      messageSink_(
          [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); }) {
    setModal(false);
    CreateControls();
    SetPortrait(false);
}

CContinuousShootDlg::~CContinuousShootDlg() { StopInspectThread(); }

void CContinuousShootDlg::CreateControls() {
    setWindowTitle(Text(ShootTexts::kTitle));

    auto* group = new QGroupBox(Text(ShootTexts::kModeGroup), this);
    timedRadio_ = new QRadioButton(Text(ShootTexts::kTimed), group);
    smartRadio_ = new QRadioButton(Text(ShootTexts::kSmart), group);
    intervalEdit_ = new QLineEdit(QString::number(interval_), group);
    auto* seconds = new QLabel(Text(ShootTexts::kSeconds), group);
    auto* modes = new QGridLayout(group);
    modes->addWidget(timedRadio_, 0, 0);
    modes->addWidget(intervalEdit_, 0, 1);
    modes->addWidget(seconds, 0, 2);
    modes->addWidget(smartRadio_, 1, 0, 1, 3);

    counterLabel_ = new CLabel(QString(), CLabel::kLeft, this);
    statusLabel_ = new CLabel(QString(), CLabel::kLeft, this);
    for (CLabel* label : {counterLabel_, statusLabel_}) {
        label->SetFontSize(kLabelPoints).SetFontBold(true);
        label->setMinimumHeight(20);
    }

    startButton_ = new QPushButton(Text(ShootTexts::kStart), this);
    pauseButton_ = new QPushButton(Text(ShootTexts::kPause), this);
    stopButton_ = new QPushButton(Text(ShootTexts::kStop), this);
    startButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(pauseButton_, &QPushButton::clicked, this, [this] { OnPause(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { OnStop(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(pauseButton_);
    buttons->addWidget(stopButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(counterLabel_);
    layout->addWidget(statusLabel_);
    layout->addLayout(buttons);

    ShowCounter();
    ShowStatus(Text(ShootTexts::kIdle));
    pauseButton_->setEnabled(false);
}

void CContinuousShootDlg::SetPortrait(bool portrait) {
    mode_ = portrait ? kTimedMode : kSmartMode;
    (portrait ? timedRadio_ : smartRadio_)->setChecked(true);
    smartRadio_->setEnabled(!portrait);
}

QAbstractButton* CContinuousShootDlg::Button(int controlId) const {
    switch (controlId) {
        case ids::ID_OK:
            return startButton_;
        case shoot_ids::IDC_PAUSE:
            return pauseButton_;
        case ids::ID_CANCEL:
            return stopButton_;
        case shoot_ids::IDC_MODE_TIMED:
            return timedRadio_;
        case shoot_ids::IDC_MODE_SMART:
            return smartRadio_;
        default:
            return nullptr;
    }
}

bool CContinuousShootDlg::TakeControlValues() {
    const int mode = smartRadio_->isChecked() && smartRadio_->isEnabled() ? kSmartMode : kTimedMode;
    if (mode == kTimedMode) {
        const std::optional<float> typed = ParseShootInterval(intervalEdit_->text());
        if (!typed) {
            messageSink_(Text(ShootTexts::kIntervalRange));
            intervalEdit_->setFocus();
            intervalEdit_->selectAll();
            return false;
        }
        interval_ = *typed;
    }
    mode_ = mode;
    return true;
}

void CContinuousShootDlg::OnStart() {
    if (IsCountingDown() || IsInspecting() || !TakeControlValues()) return;
    startButton_->setEnabled(false);
    if (mode_ == kTimedMode) {
        countdownMs_ = IntervalCountdownMs(interval_);
        ShowStatus(QString::asprintf(Text(ShootTexts::kNextShotIn).toUtf8().constData(),
                                     countdownMs_ / 1000.0));
        countdown_ = clock_->StartTimer(std::chrono::milliseconds(kCountdownTickMs),
                                        [this] { OnTimer(shoot_ids::IDT_COUNTDOWN); });
    } else {
        ShowStatus(Text(ShootTexts::kDetecting));
        inspection_.Stop();  // joins a body that ended by itself
        inspection_.Start(
            [this, clock = clock_, period = inspectionPeriod_](platform::WorkerThread::Context& c) {
                InspectThreadProc(c, *clock, camera_, hold_, owner_, this, period);
            });
    }
    pauseButton_->setEnabled(true);
}

void CContinuousShootDlg::OnTimer(int timerId) {
    if (mode_ != kTimedMode || timerId != shoot_ids::IDT_COUNTDOWN || hold_.held) return;
    if (CountdownTick(countdownMs_, interval_)) {
        ++shotCount_;
        ShowCounter();
        platform::PostWindowMessage(owner_, platform::WM_SHOOT_REQUEST, 0, 0);
    }
    ShowStatus(QString::asprintf(Text(ShootTexts::kNextShotIn).toUtf8().constData(),
                                 countdownMs_ / 1000.0));
}

void CContinuousShootDlg::OnShootStatus(int status) {
    switch (static_cast<ShootStatus>(status)) {
        case ShootStatus::kNewDocument:
            ++shotCount_;
            ShowCounter();
            ShowStatus(Text(ShootTexts::kNewDocument));
            break;
        case ShootStatus::kNoDocument:
            ShowStatus(Text(ShootTexts::kNoDocument));
            break;
        case ShootStatus::kSameDocument:
            ShowStatus(Text(ShootTexts::kSameDocument));
            break;
        case ShootStatus::kNoCamera:
            ShowStatus(Text(ShootTexts::kNoVideo));
            break;
    }
}

void CContinuousShootDlg::OnPause() {
    StopInspectThread();
    countdown_.reset();
    ShowStatus(Text(ShootTexts::kIdle));
    pauseButton_->setEnabled(false);
    startButton_->setEnabled(true);
}

void CContinuousShootDlg::OnStop() {
    StopInspectThread();
    countdown_.reset();
    platform::PostWindowMessage(owner_, platform::WM_SHOOT_REQUEST, 1, 0);
}

void CContinuousShootDlg::StopInspectThread() { inspection_.Stop(); }

void CContinuousShootDlg::reject() { OnStop(); }

bool CContinuousShootDlg::event(QEvent* event) {
    if (event->type() == platform::WindowMessageEvent::Type()) {
        const auto* message = static_cast<platform::WindowMessageEvent*>(event);
        if (message->Message() == platform::WM_SHOOT_STATUS) {
            OnShootStatus(static_cast<int>(message->LParam()));
            return true;
        }
    }
    return QDialog::event(event);
}

void CContinuousShootDlg::closeEvent(QCloseEvent* event) {
    // The owner deletes the dialog when it hears of the stop.
    event->ignore();
    OnStop();
}

void CContinuousShootDlg::ShowStatus(const QString& status) { statusLabel_->SetText(status); }

void CContinuousShootDlg::ShowCounter() {
    counterLabel_->SetText(
        QString::asprintf(Text(ShootTexts::kShotCount).toUtf8().constData(), shotCount_));
}

}  // namespace orbisk

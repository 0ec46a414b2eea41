// The main window's controls: built in code with the ids of the layout, and
// the explicit data exchange between them and the window's members.

#include "app/main_dlg/button_faces.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "ui/fx_button.h"
#include "ui/image_tile.h"
#include "ui/my_combo_box.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 720;
constexpr int kColumnWidth = 250;
// Three radio buttons side by side in a group of the column; the middle
// one has the longest captions.
QRect RadioSlot(int i) {
    static constexpr int kLeft[] = {6, 84, 168}, kWidth[] = {78, 84, 78};
    return QRect(kLeft[i], 20, kWidth[i], 20);
}
constexpr int kStripWidth = 140;

}  // namespace

void COrbiskDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Orbisk"));
    resize(kWindowWidth, kWindowHeight);
    const int w = kWindowWidth, h = kWindowHeight, x0 = w - kColumnWidth - 6;
    auto add = [this](int id, QWidget* widget, QRect geometry) {
        widget->setGeometry(geometry);
        widget->setObjectName(QString::number(id));
        controls_[id] = widget;
        return widget;
    };
    auto button = [&](int id, QRect geometry, QWidget* parent) {
        add(id, new CFxButton(QString(), parent), geometry);
    };

    auto* preview = new QLabel(this);
    preview->setFrameShape(QFrame::Box);
    add(IDC_PREVIEW, preview, QRect(kStripWidth + 5, 10, x0 - kStripWidth - 15, h - 40));
    add(IDC_PORTRAIT_PREVIEW, new QLabel(this), preview->geometry())->hide();
    add(IDC_BRAND_LABEL, new QLabel(this),
        QRect(kStripWidth + 5, h - 26, x0 - kStripWidth - 15, 20));

    int y = 10;
    button(IDC_PREFERENCES, QRect(x0, y, kSmallButtonSize.width(), kSmallButtonSize.height()),
           this);
    const int gap = (kColumnWidth - 3 * kSmallButtonSize.width()) / 2;
    button(IDC_VIDEO_PARAMS,
           QRect(QPoint(x0 + kSmallButtonSize.width() + gap, y), kSmallButtonSize), this);
    button(IDC_EXIT,
           QRect(QPoint(x0 + kColumnWidth - kSmallButtonSize.width(), y), kSmallButtonSize), this);
    y += 36;

    auto* video = new QGroupBox(this);
    add(IDC_VIDEO_GROUP, video, QRect(x0, y, kColumnWidth, 70));
    add(IDC_EXPOSURE_LABEL, new QLabel(video), QRect(8, 20, 60, 20));
    add(IDC_AUTO_EXPOSURE, new QCheckBox(video), QRect(kColumnWidth - 96, 20, 90, 20));
    m_exposureSlider = new QSlider(Qt::Horizontal, video);
    add(IDC_EXPOSURE_SLIDER, m_exposureSlider, QRect(8, 44, kColumnWidth - 66, 20));
    auto* exposure = new QLineEdit(video);
    exposure->setValidator(new QIntValidator(exposure));
    add(IDC_EXPOSURE_EDIT, exposure, QRect(kColumnWidth - 52, 42, 44, 22));
    y += 76;

    const int symbols[] = {IDC_ROTATE_LEFT, IDC_ROTATE_180, IDC_ROTATE_RIGHT, IDC_SWITCH_CAMERA,
                           IDC_AUTO_FOCUS};
    for (int i = 0; i < 5; ++i) {
        button(symbols[i], QRect(QPoint(x0 + 8 + i * 48, y), kSymbolButtonSize), this);
    }
    y += 44;

    auto* naming = new QGroupBox(this);
    add(IDC_NAMING_GROUP, naming, QRect(x0, y, kColumnWidth, 102));
    const int third[] = {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM};
    for (int i = 0; i < 3; ++i) {
        add(third[i], new QRadioButton(naming), RadioSlot(i));
    }
    add(IDC_PREFIX_LABEL, new QLabel(naming), QRect(8, 46, 56, 22));
    m_prefixCombo = new CMyComboBox(naming);
    add(IDC_PREFIX_COMBO, m_prefixCombo, QRect(66, 46, kColumnWidth - 74, 22));
    auto* index = new QLineEdit(naming);
    index->setValidator(new QIntValidator(0, 99999999, index));
    add(IDC_INDEX_EDIT, index, QRect(66, 74, kColumnWidth - 74, 22));
    y += 108;

    auto* crop = new QGroupBox(this);
    add(IDC_CROP_GROUP, crop, QRect(x0, y, kColumnWidth, 46));
    const int crops[] = {IDC_CROP_NONE, IDC_CROP_AUTO, IDC_CROP_CUSTOM};
    for (int i = 0; i < 3; ++i) {
        add(crops[i], new QRadioButton(crop), RadioSlot(i));
    }
    y += 52;

    auto* colour = new QGroupBox(this);
    add(IDC_COLOR_GROUP, colour, QRect(x0, y, kColumnWidth, 46));
    const int colours[] = {IDC_COLOR_COLOR, IDC_COLOR_GRAY, IDC_COLOR_MONO};
    for (int i = 0; i < 3; ++i) {
        add(colours[i], new QRadioButton(colour), RadioSlot(i));
    }
    y += 52;

    const int half = kColumnWidth / 2;
    add(IDC_MERGE, new QCheckBox(this), QRect(x0 + 4, y, half - 4, 20));
    add(IDC_BARCODE_NAMING, new QCheckBox(this), QRect(x0 + half, y, half, 20));
    add(IDC_MULTI_PAGE_TIF, new QCheckBox(this), QRect(x0 + 4, y + 22, kColumnWidth - 4, 20));
    add(IDC_ONE_PDF, new QCheckBox(this), QRect(x0 + 4, y + 44, kColumnWidth - 4, 20));
    y += 72;

    const int wide[] = {IDC_BROWSE_IMAGES,   IDC_RECOGNIZE_TEXT, IDC_PHOTOCOPY,
                        IDC_CAPTURE_TO_PDF,  IDC_CAPTURE,        IDC_RECORD_VIDEO,
                        IDC_CONTINUOUS_SHOOT};
    for (int i = 0; i < 7; ++i) {
        const QPoint at(x0 + (i % 2) * (kColumnWidth - kWideButtonSize.width()), y + (i / 2) * 40);
        button(wide[i], QRect(at, kWideButtonSize), this);
    }

    for (const auto& entry : controls_) {
        if (auto* b = qobject_cast<QAbstractButton*>(entry.second)) {
            const int id = entry.first;
            connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        }
    }
    ConnectModeControls();
}

QWidget* COrbiskDlg::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

CFxButton* COrbiskDlg::Button(int id) const { return ControlAs<CFxButton>(id); }

void COrbiskDlg::PushToControls() {
    ControlAs<QCheckBox>(IDC_BARCODE_NAMING)->setChecked(m_settings.RECOGNIZE != 0);
    ControlAs<QLineEdit>(IDC_EXPOSURE_EDIT)->setText(QString::number(m_nExposure));
    ControlAs<QLineEdit>(IDC_INDEX_EDIT)->setText(QString::number(m_nIndexEdit));
    const int rule[] = {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM};
    if (m_nNamingRule >= 0 && m_nNamingRule < 3) {
        ControlAs<QRadioButton>(rule[m_nNamingRule])->setChecked(true);
    }
}

void COrbiskDlg::PullFromControls() {
    m_settings.RECOGNIZE = ControlAs<QCheckBox>(IDC_BARCODE_NAMING)->isChecked() ? 1 : 0;
    m_fShootInterval = std::clamp(m_fShootInterval, 0.5f, 3600.0f);
    m_nExposure = ControlAs<QLineEdit>(IDC_EXPOSURE_EDIT)->text().toInt();
    m_nIndexEdit = ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text().toInt();
    const int rule[] = {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM};
    for (int i = 0; i < 3; ++i) {
        if (ControlAs<QRadioButton>(rule[i])->isChecked()) m_nNamingRule = i;
    }
}

void COrbiskDlg::ApplyModel5Layout() {
    auto move = [this](int id, int dy) { Control(id)->move(Control(id)->pos() + QPoint(0, dy)); };
    Control(IDC_RECORD_VIDEO)->hide();
    move(IDC_CAPTURE, 6);
    move(IDC_CAPTURE_TO_PDF, 12);
    move(IDC_PHOTOCOPY, 18);
    move(IDC_RECOGNIZE_TEXT, 24);
    for (int id : {IDC_EXPOSURE_LABEL, IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_EDIT, IDC_AUTO_EXPOSURE}) {
        Control(id)->hide();
    }
    for (int id :
         {IDC_ROTATE_LEFT, IDC_ROTATE_180, IDC_ROTATE_RIGHT, IDC_SWITCH_CAMERA, IDC_AUTO_FOCUS}) {
        move(id, -25);
    }
}

}  // namespace orbisk

// The main window's controls: built in code with the ids of the layout, and
// the explicit data exchange between them and the window's members.

#include "app/main_dlg/button_faces.h"
#include "app/main_dlg/column_layout.h"
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
constexpr int kStripWidth = 140;
// The column's left edge in a window of the first size.
constexpr int kColumnLeft = kWindowWidth - kColumnWidth - 6;

}  // namespace

void COrbiskDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Orbisk"));
    resize(kWindowWidth, kWindowHeight);
    const int h = kWindowHeight, x0 = kColumnLeft;
    auto add = [this](int id, QWidget* widget) {
        widget->setObjectName(QString::number(id));
        controls_[id] = widget;
        return widget;
    };
    auto button = [&](int id) { add(id, new CFxButton(QString(), this)); };

    auto* preview = new QLabel(this);
    preview->setFrameShape(QFrame::Box);
    add(IDC_PREVIEW, preview)->setGeometry(kStripWidth + 5, 10, x0 - kStripWidth - 15, h - 40);
    add(IDC_PORTRAIT_PREVIEW, new QLabel(this))->setGeometry(preview->geometry());
    Control(IDC_PORTRAIT_PREVIEW)->hide();
    add(IDC_BRAND_LABEL, new QLabel(this))
        ->setGeometry(kStripWidth + 5, h - 26, x0 - kStripWidth - 15, 20);

    for (int id : {IDC_PREFERENCES, IDC_VIDEO_PARAMS, IDC_EXIT}) button(id);

    auto* video = new QGroupBox(this);
    add(IDC_VIDEO_GROUP, video);
    add(IDC_EXPOSURE_LABEL, new QLabel(video));
    add(IDC_AUTO_EXPOSURE, new QCheckBox(video));
    m_exposureSlider = new QSlider(Qt::Horizontal, video);
    add(IDC_EXPOSURE_SLIDER, m_exposureSlider);
    connect(m_exposureSlider, &QSlider::valueChanged, this, [this] { OnHScroll(); });
    auto* exposure = new QLineEdit(video);
    exposure->setValidator(new QIntValidator(exposure));
    add(IDC_EXPOSURE_EDIT, exposure);

    for (int id :
         {IDC_ROTATE_LEFT, IDC_ROTATE_180, IDC_ROTATE_RIGHT, IDC_SWITCH_CAMERA, IDC_AUTO_FOCUS}) {
        button(id);
    }

    auto* naming = new QGroupBox(this);
    add(IDC_NAMING_GROUP, naming);
    for (int id : {IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM}) {
        add(id, new QRadioButton(naming));
    }
    add(IDC_PREFIX_LABEL, new QLabel(naming));
    m_prefixCombo = new CMyComboBox(naming);
    add(IDC_PREFIX_COMBO, m_prefixCombo);
    auto* index = new QLineEdit(naming);
    index->setValidator(new QIntValidator(0, 99999999, index));
    add(IDC_INDEX_EDIT, index);

    auto* crop = new QGroupBox(this);
    add(IDC_CROP_GROUP, crop);
    for (int id : {IDC_CROP_NONE, IDC_CROP_AUTO, IDC_CROP_CUSTOM}) add(id, new QRadioButton(crop));

    auto* colour = new QGroupBox(this);
    add(IDC_COLOR_GROUP, colour);
    for (int id : {IDC_COLOR_COLOR, IDC_COLOR_GRAY, IDC_COLOR_MONO}) {
        add(id, new QRadioButton(colour));
    }

    for (int id : {IDC_MERGE, IDC_BARCODE_NAMING, IDC_MULTI_PAGE_TIF, IDC_ONE_PDF}) {
        add(id, new QCheckBox(this));
    }
    for (int id : {IDC_BROWSE_IMAGES, IDC_RECOGNIZE_TEXT, IDC_PHOTOCOPY, IDC_CAPTURE_TO_PDF,
                   IDC_CAPTURE, IDC_RECORD_VIDEO, IDC_CONTINUOUS_SHOOT}) {
        button(id);
    }
    PlaceColumn(kColumnLeft, ColumnContents{});

    for (const auto& entry : controls_) {
        if (auto* b = qobject_cast<QAbstractButton*>(entry.second)) {
            const int id = entry.first;
            connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        }
    }
    ConnectModeControls();
}

void COrbiskDlg::PlaceColumn(int left, const ColumnContents& contents) {
    for (const auto& [id, rect] : ColumnLayout(left, contents)) Control(id)->setGeometry(rect);
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
    // Without exposure controls their group frames nothing; the column closes up.
    for (int id : {IDC_VIDEO_GROUP, IDC_EXPOSURE_LABEL, IDC_EXPOSURE_SLIDER, IDC_EXPOSURE_EDIT,
                   IDC_AUTO_EXPOSURE, IDC_RECORD_VIDEO}) {
        Control(id)->hide();
    }
    // The column stays where it stands: the window may have been resized.
    PlaceColumn(Control(IDC_PREFERENCES)->x(),
                ColumnContents{.exposureControls = false, .videoButton = false});
}

}  // namespace orbisk

#include "ui/preferences/water_mark_dialog.h"

#include "core/command_ids.h"
#include "platform/language_text.h"
#include "ui/preferences/page_message.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <algorithm>

namespace orbisk {

using namespace ids::watermark_page;

namespace {

constexpr platform::LanguageText kEmptyText = {"水印内容为空", "浮水印文字沒有設定",
                                               "Watermark Content is empty!"};

struct ControlText {
    int id;
    platform::LanguageText text;
};

constexpr ControlText kTexts[] = {
    {IDC_CONTENT_GROUP, {"水印內容", "浮水印文字", "WaterMark content"}},
    {IDC_TIME_STAMP, {"时间水印", "時間浮水印", "Timestamp"}},
    {IDC_CUSTOM, {"自定义水印", "自訂浮水印", "Custom"}},
    {IDC_POSITION_LABEL, {"水印位置", "浮水印位置", "Position"}},
    {IDC_SIZE_LABEL, {"水印大小", "浮水印大小", "Size"}},
    {IDC_COLOUR_LABEL, {"水印颜色", "浮水印顏色", "Color"}},
    {IDC_TRANSPARENCY_LABEL, {"水印透明度", "浮水印透明度", "Transparency"}},
};

// The items of the position list (Position 0..4) and of the colour list (in
// the order of kWatermarkColours).
constexpr platform::LanguageText kPositions[] = {
    {"左上", "左上角", "Top left Corner"},
    {"右上", "右上角", "Top right Corner"},
    {"左下", "左下角", "Bottom left Corner"},
    {"右下", "右下角", "Bottom right Corner"},
    {"中央", "中間", "Center"},
};
constexpr platform::LanguageText kColours[] = {
    {"红", "紅", "Red"},   {"绿", "綠", "Green"}, {"蓝", "藍", "Blue"},
    {"白", "白", "White"}, {"黑", "黑", "Black"},
};

constexpr int kDefaultSize = 96;
constexpr int kDefaultTransparency = 50;

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

template <size_t N>
void FillList(QComboBox* combo, const platform::LanguageText (&items)[N], int language) {
    const int selected = combo->currentIndex();
    combo->clear();
    for (const platform::LanguageText& item : items) combo->addItem(item.In(language));
    combo->setCurrentIndex(selected);
}

}  // namespace

CWaterMarkDialog::CWaterMarkDialog(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    auto label = [this](int id) { return Named(new QLabel(this), id); };

    auto* content = Named(new QGroupBox(this), IDC_CONTENT_GROUP);
    auto* contentGrid = new QGridLayout(content);
    timeStamp_ = Named(new QCheckBox(content), IDC_TIME_STAMP);
    custom_ = Named(new QCheckBox(content), IDC_CUSTOM);
    text_ = Named(new QLineEdit(content), IDC_TEXT);
    text_->setEnabled(false);
    contentGrid->addWidget(timeStamp_, 0, 0);
    contentGrid->addWidget(custom_, 1, 0);
    contentGrid->addWidget(text_, 1, 1);
    contentGrid->setColumnStretch(1, 1);
    grid->addWidget(content, 0, 0, 1, 3);

    position_ = Named(new QComboBox(this), IDC_POSITION);
    grid->addWidget(label(IDC_POSITION_LABEL), 1, 0);
    grid->addWidget(position_, 1, 1, 1, 2);

    size_ = Named(new QLineEdit(this), IDC_SIZE);
    size_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), size_));
    grid->addWidget(label(IDC_SIZE_LABEL), 2, 0);
    grid->addWidget(size_, 2, 1, 1, 2);

    colour_ = Named(new QComboBox(this), IDC_COLOUR);
    grid->addWidget(label(IDC_COLOUR_LABEL), 3, 0);
    grid->addWidget(colour_, 3, 1, 1, 2);

    slider_ = Named(new QSlider(Qt::Horizontal, this), IDC_TRANSPARENCY_SLIDER);
    slider_->setRange(0, 100);
    slider_->setPageStep(10);
    transparency_ = Named(new QLineEdit(this), IDC_TRANSPARENCY);
    transparency_->setReadOnly(true);
    transparency_->setMaximumWidth(48);
    grid->addWidget(label(IDC_TRANSPARENCY_LABEL), 4, 0);
    grid->addWidget(slider_, 4, 1);
    grid->addWidget(transparency_, 4, 2);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(QStringLiteral("0"), this));
    ends->addStretch(1);
    ends->addWidget(new QLabel(QStringLiteral("100"), this));
    grid->addLayout(ends, 5, 1);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);

    // The edit shows the value OK stores: it follows every change, by mouse,
    // keyboard or wheel alike.
    connect(slider_, &QSlider::valueChanged, this,
            [this](int value) { transparency_->setText(QString::number(value)); });
    connect(custom_, &QCheckBox::toggled, this, [this](bool) { OnCustomToggle(); });

    size_->setText(QStringLiteral("0"));
    transparency_->setText(QStringLiteral("0"));
    LoadTexts(0);
    sink_ = [this](const QString& text) { ShowPageMessage(this, text); };
}

QWidget* CWaterMarkDialog::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void CWaterMarkDialog::OnCustomToggle() { text_->setEnabled(custom_->isChecked()); }

bool CWaterMarkDialog::LoadSettings(const SysSettings& settings) {
    language_ = settings.Language;
    LoadTexts(language_);
    timeStamp_->setChecked(settings.DateMark != 0);
    custom_->setChecked(settings.Custom != 0);
    loadedPosition_ = settings.Position;
    position_->setCurrentIndex(IsWatermarkPosition(settings.Position) ? settings.Position : -1);
    size_->setText(QString::number(settings.Size));
    colour_->setCurrentIndex(WatermarkColourIndex(settings.Color));
    const int transparency = std::clamp(settings.Transparency, 0, 100);
    slider_->setValue(transparency);
    transparency_->setText(QString::number(transparency));
    text_->setText(settings.Name);
    OnCustomToggle();
    return true;
}

bool CWaterMarkDialog::StoreSettings(SysSettings& settings) {
    if (custom_->isChecked() && text_->text().isEmpty()) {
        if (sink_) sink_(kEmptyText.In(language_));
        text_->setFocus();
        return false;
    }
    const std::optional<int> size =
        CheckedNumber(size_->text(), kMinWatermarkSize, kMaxWatermarkSize, language_, sink_);
    if (!size) {
        size_->setFocus();
        return false;
    }
    settings.DateMark = timeStamp_->isChecked() ? 1 : 0;
    settings.Custom = custom_->isChecked() ? 1 : 0;
    settings.Name = SingleLine(text_->text());
    settings.Position = StoredWatermarkPosition(position_->currentIndex(), loadedPosition_);
    settings.Size = *size;
    settings.Transparency = ParseNumberField(transparency_->text()).value_or(slider_->value());
    settings.Color = WatermarkColourOf(colour_->currentIndex());
    return true;
}

bool CWaterMarkDialog::SetDefaults() {
    custom_->setChecked(false);
    timeStamp_->setChecked(false);
    text_->setEnabled(false);
    position_->setCurrentIndex(kWatermarkCentre);
    size_->setText(QString::number(kDefaultSize));
    colour_->setCurrentIndex(0);
    slider_->setValue(kDefaultTransparency);
    transparency_->setText(QString::number(kDefaultTransparency));
    return true;
}

void CWaterMarkDialog::LoadTexts(int language) {
    for (const ControlText& t : kTexts) {
        QWidget* control = Control(t.id);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(t.text.In(language));
        } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
            check->setText(t.text.In(language));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(t.text.In(language));
        }
    }
    FillList(position_, kPositions, language);
    FillList(colour_, kColours, language);
}

}  // namespace orbisk

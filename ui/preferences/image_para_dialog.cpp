#include "ui/preferences/image_para_dialog.h"

#include "core/camera_models.h"
#include "core/command_ids.h"
#include "platform/language_text.h"
#include "ui/preferences/page_message.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>

#include <iterator>

namespace orbisk {

using namespace ids::image_page;

namespace {

struct ControlText {
    int id;
    platform::LanguageText text;
};

// The captions by language; the format radios but the first keep theirs.
constexpr ControlText kTexts[] = {
    {IDC_XDPI_LABEL, {"图像XDPI：", "橫向DPI：", "Hor. DPI: "}},
    {IDC_YDPI_LABEL, {"图像YDPI：", "縱向DPI：", "Vert. DPI: "}},
    {IDC_QUALITY_LOW_LABEL, {"JPG图像质量：低", "JPG品質：      差", "JPG quality:    Low"}},
    {IDC_QUALITY_HIGH_LABEL, {"高", "優", "High"}},
    {IDC_RESOLUTION_LABEL, {"图像分辨率：", "解析度：", "Resolution: "}},
    {IDC_TRIM_LEFT_LABEL, {"切割范围：左", "頁邊裁剪：左", "Trim:       Left"}},
    {IDC_TRIM_TOP_LABEL, {"      上", "      上", "   Top"}},
    {IDC_TRIM_RIGHT_LABEL, {"      右", "      右", " Right"}},
    {IDC_TRIM_BOTTOM_LABEL, {"      下", "      下", "Bottom"}},
    {IDC_FORMAT_LABEL, {"图像格式：", "圖像格式：", "Image format:"}},
    {IDC_FORMAT_DEFAULT, {"默认", "預設", "Default"}},
};

// The format radios in the order of IMG_FORMAT 0..5, with their captions.
struct FormatRadio {
    int id;
    const char* caption;
};
constexpr FormatRadio kFormatRadios[] = {
    {IDC_FORMAT_DEFAULT, "默认"}, {IDC_FORMAT_BMP, "*.BMP"}, {IDC_FORMAT_JPG, "*.JPG"},
    {IDC_FORMAT_PNG, "*.PNG"},    {IDC_FORMAT_TIF, "*.TIF"}, {IDC_FORMAT_GIF, "*.GIF"},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormatRadios));

constexpr int kTrimIds[4] = {IDC_TRIM_LEFT, IDC_TRIM_TOP, IDC_TRIM_RIGHT, IDC_TRIM_BOTTOM};
constexpr int kTrimLabelIds[4] = {IDC_TRIM_LEFT_LABEL, IDC_TRIM_TOP_LABEL, IDC_TRIM_RIGHT_LABEL,
                                  IDC_TRIM_BOTTOM_LABEL};

// The page's initial values, shown until settings are loaded.
constexpr int kInitialDpi = 215;
constexpr int kInitialQuality = 70;
constexpr int kDefaultQuality = 70;

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

}  // namespace

CImageParaDialog::CImageParaDialog(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    auto label = [this](int id) { return Named(new QLabel(this), id); };
    // Digits only: a stored value out of range is shown as it is and refused
    // on OK, never clamped behind the operator's back.
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), this);
    xdpi_ = Named(new QLineEdit(this), IDC_XDPI);
    ydpi_ = Named(new QLineEdit(this), IDC_YDPI);
    xdpi_->setValidator(digits);
    ydpi_->setValidator(digits);
    grid->addWidget(label(IDC_XDPI_LABEL), 0, 0);
    grid->addWidget(xdpi_, 0, 1);
    grid->addWidget(label(IDC_YDPI_LABEL), 0, 2);
    grid->addWidget(ydpi_, 0, 3);

    quality_ = Named(new QSlider(Qt::Horizontal, this), IDC_QUALITY);
    quality_->setRange(0, 100);
    quality_->setPageStep(10);
    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(label(IDC_QUALITY_LOW_LABEL));
    qualityRow->addWidget(quality_, 1);
    qualityRow->addWidget(label(IDC_QUALITY_HIGH_LABEL));
    grid->addLayout(qualityRow, 1, 0, 1, 4);

    sizes_ = Named(new QComboBox(this), IDC_RESOLUTION);
    grid->addWidget(label(IDC_RESOLUTION_LABEL), 2, 0);
    grid->addWidget(sizes_, 2, 1, 1, 3);

    auto* trimRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        trims_[i] = Named(new QLineEdit(this), kTrimIds[i]);
        trims_[i]->setValidator(new QIntValidator(trims_[i]));
        trims_[i]->setMaximumWidth(56);
        trimRow->addWidget(label(kTrimLabelIds[i]));
        trimRow->addWidget(trims_[i]);
    }
    trimRow->addStretch(1);
    grid->addLayout(trimRow, 3, 0, 1, 4);

    grid->addWidget(label(IDC_FORMAT_LABEL), 4, 0, Qt::AlignTop);
    formats_ = new QButtonGroup(this);
    auto* formatGrid = new QGridLayout;
    for (int i = 0; i < kFormatCount; ++i) {
        auto* radio = Named(new QRadioButton(QString::fromUtf8(kFormatRadios[i].caption), this),
                            kFormatRadios[i].id);
        formats_->addButton(radio, i);
        formatGrid->addWidget(radio, i / 3, i % 3);
    }
    grid->addLayout(formatGrid, 4, 1, 1, 3);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    const int noTrims[4] = {0, 0, 0, 0};
    ShowValues(kInitialDpi, kInitialDpi, kInitialQuality, noTrims);
    LoadTexts(0);
    sink_ = [this](const QString& text) { ShowPageMessage(this, text); };
}

QWidget* CImageParaDialog::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void CImageParaDialog::ShowValues(int xdpi, int ydpi, int quality, const int (&trims)[4]) {
    xdpi_->setText(QString::number(xdpi));
    ydpi_->setText(QString::number(ydpi));
    quality_->setValue(quality);
    for (int i = 0; i < 4; ++i) trims_[i]->setText(QString::number(trims[i]));
}

bool CImageParaDialog::FillResolutionList(const QString& vid, const QString& pid) {
    entries_ = ProbeResolutionEntries(vid, pid);
    sizes_->clear();
    for (const SizeEntry& e : entries_) sizes_->addItem(SizeText(e.width, e.height));
    return !entries_.empty();
}

bool CImageParaDialog::SelectSize(const QString& text) {
    QStringList items;
    for (int i = 0; i < sizes_->count(); ++i) items << sizes_->itemText(i);
    const int found = FindSizeItem(items, text);
    if (found < 0) return false;
    sizes_->setCurrentIndex(found);
    return true;
}

bool CImageParaDialog::LoadSettings(const SysSettings& settings) {
    language_ = settings.Language;
    const bool portrait = settings.CurrentCamera != 0;
    const bool filled = portrait ? FillResolutionList(settings.PorCamVid, settings.PorCamPid)
                                 : FillResolutionList(settings.DocCamVid, settings.DocCamPid);
    // Without sizes the rest is shown all the same, so that OK keeps it.
    const int trims[4] = {settings.CutLeft, settings.CutTop, settings.CutRight, settings.CutBottom};
    ShowValues(settings.XDPI, settings.YDPI, settings.JPGQuality, trims);
    const QString current = portrait ? SizeText(settings.PorCamWidth, settings.PorCamHeight)
                                     : SizeText(settings.DocCamWidth, settings.DocCamHeight);
    if (!SelectSize(current) && sizes_->count() > 0) sizes_->setCurrentIndex(0);
    const int format = settings.IMG_FORMAT >= 0 && settings.IMG_FORMAT < kFormatCount
                           ? settings.IMG_FORMAT
                           : int(ImageFormat::Default);
    formats_->button(format)->setChecked(true);
    LoadTexts(language_);
    return filled;
}

bool CImageParaDialog::StoreSettings(SysSettings& settings) {
    // Every field is checked before any is stored: a refusal stores nothing.
    const std::optional<int> xdpi =
        CheckedNumber(xdpi_->text(), kMinDpi, kMaxDpi, language_, sink_);
    if (!xdpi) {
        xdpi_->setFocus();
        return false;
    }
    const std::optional<int> ydpi =
        CheckedNumber(ydpi_->text(), kMinDpi, kMaxDpi, language_, sink_);
    if (!ydpi) {
        ydpi_->setFocus();
        return false;
    }
    int trims[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> trim = ParseNumberField(trims_[i]->text());
        if (!trim) {
            if (sink_) sink_(NumberFieldMessage(language_));
            trims_[i]->setFocus();
            return false;
        }
        trims[i] = *trim;
    }
    settings.JPGQuality = quality_->value();
    settings.XDPI = *xdpi;
    settings.YDPI = *ydpi;
    settings.CutLeft = trims[0];
    settings.CutTop = trims[1];
    settings.CutRight = trims[2];
    settings.CutBottom = trims[3];
    const int size = sizes_->currentIndex();
    if (size >= 0 && size < static_cast<int>(entries_.size())) {
        const SizeEntry& e = entries_[static_cast<size_t>(size)];
        if (settings.CurrentCamera != 0) {
            settings.PorCamWidth = e.width;
            settings.PorCamHeight = e.height;
        } else {
            settings.DocCamWidth = e.width;
            settings.DocCamHeight = e.height;
        }
    }
    if (formats_->checkedId() >= 0) settings.IMG_FORMAT = formats_->checkedId();
    return true;
}

bool CImageParaDialog::SetDefaults(int model) {
    const std::optional<DefaultResolution> defaults = ModelDefaults(model);
    if (!defaults) return false;
    const int noTrims[4] = {0, 0, 0, 0};
    ShowValues(defaults->dpi, defaults->dpi, kDefaultQuality, noTrims);
    formats_->button(int(ImageFormat::Default))->setChecked(true);
    SelectSize(SizeText(defaults->size.width(), defaults->size.height()));
    return true;
}

void CImageParaDialog::LoadTexts(int language) {
    for (const ControlText& t : kTexts) {
        if (auto* label = qobject_cast<QLabel*>(Control(t.id))) {
            label->setText(t.text.In(language));
        } else if (auto* radio = qobject_cast<QRadioButton*>(Control(t.id))) {
            radio->setText(t.text.In(language));
        }
    }
}

}  // namespace orbisk

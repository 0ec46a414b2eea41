#include "ui/preferences/advanced_setting_dialog.h"

#include "core/command_ids.h"
#include "core/path_utils.h"
#include "platform/language_text.h"
#include "ui/file_name_rules.h"
#include "ui/preferences/page_message.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace orbisk {

using namespace ids::advanced_page;

namespace {

// A check and the setting it stands for, in the order of the data exchange.
struct CheckField {
    int id;
    int SysSettings::*field;  // null: ISMUTICUTPAGE, the one bool
};
constexpr CheckField kChecks[] = {
    {IDC_DATE_FOLDER, &SysSettings::DATEFOLDER},
    {IDC_SHADOW, &SysSettings::SHADOW},
    {IDC_DEFORMATION, &SysSettings::DEFORMATION},
    {IDC_MULTI_OBJECT, nullptr},
    {IDC_BARCODE_TO_TEXT, &SysSettings::BARCODETOFILE},
    {IDC_FAST_MODE, &SysSettings::FASTMODE},
    {IDC_ORIENTATION_CHECK, &SysSettings::DOCCHECK},
    {IDC_SOUND, &SysSettings::Play},
    {IDC_KEEP_SOURCES, &SysSettings::SRC},
    {IDC_PICTURE_IN_PICTURE, &SysSettings::TWOIMAGEIN1},
    {IDC_ENGLISH_OCR, &SysSettings::ENGOCR},
};

struct ControlText {
    int id;
    platform::LanguageText text;
};

constexpr ControlText kTexts[] = {
    {IDC_STORAGE_GROUP, {"存储路径", "儲存位置", "Storage Path"}},
    {IDC_BROWSE_FOLDER, {"存储设置", "修改設定", "Change Path"}},
    {IDC_DATE_FOLDER, {"保存至日期文件夹", "儲存到日期資料夾", "Save in date folder"}},
    {IDC_PRINT_GROUP, {"打印设置", "列印設定", "Printing Setting"}},
    {IDC_PRINT_ORIGINAL, {"原比例打印", "同比例列印", "1:1 print"}},
    {IDC_PRINT_SCALED, {"缩放打印", "適合比例列印", "Scaled print"}},
    {IDC_OTHER_GROUP, {"其他设置", "其他設定", "Other Settings"}},
    {IDC_SHADOW, {"去阴影", "淡化光影", "Shadow removal"}},
    {IDC_MULTI_OBJECT, {"多目标自动切边", "識別多個物件", "Multi-object capture"}},
    {IDC_BARCODE_TO_TEXT, {"条码到文本", "將條碼符號儲存到.txt", "Scan barcode to TXT"}},
    {IDC_ORIENTATION_CHECK, {"文档方向检测", "檔案方向檢驗", "Auto rotate screen"}},
    {IDC_SOUND, {"拍摄音", "通知音", "Shutter Sound"}},
    {IDC_KEEP_SOURCES, {"保留合并素材", "儲存原始檔", "Reserve images for merging"}},
    {IDC_SPECK_SIZE_LABEL, {"要去除的噪点大小：", "噪聲點尺寸判定線：", "Max noise point:"}},
    {IDC_LANGUAGE_LABEL, {"选择语言：", "語言設定：", "Language:"}},
    {IDC_DEFORMATION, {"文档形变处理", "修正檔案形狀", "Repair Doc. deformation"}},
    {IDC_FAST_MODE, {"开启高速模式", "高速模式", "Start device with high-speed mode"}},
    {IDC_PICTURE_IN_PICTURE, {"画中画模式", "畫中畫預覽", "PIP Mode"}},
    {IDC_ENGLISH_OCR, {"英文OCR", "英文文字辨識", "OCR for english file"}},
};

// The language list, by language index.
const char* const kLanguageItems[] = {"中文(简体)", "中文(繁體)", "English"};

constexpr char kBrowseTitle[] = "选择图像存储文件夹";
constexpr int kDefaultSpeckSize = 5;

// The controls without a face on the page; their values go through OK as
// they were loaded.
constexpr int kHidden[] = {IDC_DEFORMATION, IDC_ORIENTATION_CHECK, IDC_LANGUAGE_LABEL, IDC_LANGUAGE,
                           IDC_ENGLISH_OCR};

template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

}  // namespace

CAdvancedSettingDialog::CAdvancedSettingDialog(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    auto check = [](int id, QWidget* box) { return Named(new QCheckBox(box), id); };

    auto* storage = Named(new QGroupBox(this), IDC_STORAGE_GROUP);
    auto* storageGrid = new QGridLayout(storage);
    folder_ = Named(new QLineEdit(storage), IDC_STORAGE_FOLDER);
    folder_->setReadOnly(true);
    auto* browse = Named(new QPushButton(storage), IDC_BROWSE_FOLDER);
    storageGrid->addWidget(folder_, 0, 0);
    storageGrid->addWidget(browse, 0, 1);
    storageGrid->addWidget(check(IDC_DATE_FOLDER, storage), 1, 0, 1, 2);
    storageGrid->setColumnStretch(0, 1);
    column->addWidget(storage);

    auto* print = Named(new QGroupBox(this), IDC_PRINT_GROUP);
    auto* printRow = new QHBoxLayout(print);
    printMode_ = new QButtonGroup(this);
    printMode_->addButton(Named(new QRadioButton(print), IDC_PRINT_ORIGINAL), 0);
    printMode_->addButton(Named(new QRadioButton(print), IDC_PRINT_SCALED), 1);
    printRow->addWidget(printMode_->button(0));
    printRow->addWidget(printMode_->button(1));
    printRow->addStretch(1);
    column->addWidget(print);

    auto* other = Named(new QGroupBox(this), IDC_OTHER_GROUP);
    auto* otherGrid = new QGridLayout(other);
    const int shown[] = {IDC_SHADOW,     IDC_MULTI_OBJECT, IDC_BARCODE_TO_TEXT,
                         IDC_SOUND,      IDC_KEEP_SOURCES, IDC_PICTURE_IN_PICTURE,
                         IDC_FAST_MODE,  IDC_DEFORMATION,  IDC_ORIENTATION_CHECK,
                         IDC_ENGLISH_OCR};
    int row = 0, col = 0;
    for (int id : shown) {
        otherGrid->addWidget(check(id, other), row, col);
        if (++col == 2) {
            col = 0;
            ++row;
        }
    }
    if (col != 0) ++row;
    speckSize_ = Named(new QLineEdit(other), IDC_SPECK_SIZE);
    speckSize_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,6}")), speckSize_));
    speckSize_->setMaximumWidth(56);
    auto* speckRow = new QHBoxLayout;
    speckRow->addWidget(Named(new QLabel(other), IDC_SPECK_SIZE_LABEL));
    speckRow->addWidget(speckSize_);
    speckRow->addStretch(1);
    otherGrid->addLayout(speckRow, row++, 0, 1, 2);
    languages_ = Named(new QComboBox(other), IDC_LANGUAGE);
    for (const char* item : kLanguageItems) languages_->addItem(QString::fromUtf8(item));
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(Named(new QLabel(other), IDC_LANGUAGE_LABEL));
    languageRow->addWidget(languages_);
    languageRow->addStretch(1);
    otherGrid->addLayout(languageRow, row, 0, 1, 2);
    column->addWidget(other);
    column->addStretch(1);

    for (int id : kHidden) Control(id)->hide();
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowseFolder(); });
    printMode_->button(0)->setChecked(true);
    speckSize_->setText(QStringLiteral("1"));
    LoadTexts(0);
    sink_ = [this](const QString& text) { ShowPageMessage(this, text); };
    chooser_ = [](const QString& current) -> std::optional<QString> {
        const QString chosen = QFileDialog::getExistingDirectory(
            nullptr, QString::fromUtf8(kBrowseTitle), current, QFileDialog::ShowDirsOnly);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
}

QWidget* CAdvancedSettingDialog::Control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

bool CAdvancedSettingDialog::LoadSettings(const SysSettings& settings) {
    auto* fast = Control(IDC_FAST_MODE);
    fast->setVisible(settings.FastModeAvailable != 0);
    fast->setEnabled(settings.CurrentCamera != 1);
    for (const CheckField& c : kChecks) {
        const int value = c.field ? settings.*c.field : settings.ISMUTICUTPAGE ? 1 : 0;
        qobject_cast<QCheckBox*>(Control(c.id))->setChecked(value != 0);
    }
    loadedFolder_ = settings.FOLDPATH;
    folder_->setText(settings.FOLDPATH);
    if (QAbstractButton* mode = printMode_->button(settings.TYPE)) {
        mode->setChecked(true);
    } else {
        // A print mode the page does not know shows none and stays as it was.
        printMode_->setExclusive(false);
        for (QAbstractButton* b : printMode_->buttons()) b->setChecked(false);
        printMode_->setExclusive(true);
    }
    speckSize_->setText(QString::number(settings.NoiseSize));
    language_ = settings.Language;
    LoadTexts(language_);
    return true;
}

bool CAdvancedSettingDialog::StoreSettings(SysSettings& settings) {
    const std::optional<int> speck =
        CheckedNumber(speckSize_->text(), kMinSpeckSize, kMaxSpeckSize, language_, sink_);
    if (!speck) {
        speckSize_->setFocus();
        return false;
    }
    const QString folder = QDir::fromNativeSeparators(folder_->text());
    // A folder the operator chose is tried now rather than at the next capture.
    if (folder != loadedFolder_ && !IsWritableFolder(folder)) {
        if (sink_) sink_(UnwritableFolderMessage(language_, folder));
        Control(IDC_BROWSE_FOLDER)->setFocus();
        return false;
    }
    for (const CheckField& c : kChecks) {
        const int value = qobject_cast<QCheckBox*>(Control(c.id))->isChecked() ? 1 : 0;
        if (c.field) {
            settings.*c.field = value;
        } else {
            settings.ISMUTICUTPAGE = value == 1;
        }
    }
    settings.FOLDPATH = folder;
    const QDate today = (clock_ ? clock_() : QDateTime::currentDateTime()).date();
    settings.SaveFolder = ComputeSaveFolder(settings, today);
    if (printMode_->checkedId() >= 0) settings.TYPE = printMode_->checkedId();
    settings.NoiseSize = *speck;
    if (languages_->currentIndex() >= 0) settings.Language = languages_->currentIndex();
    return true;
}

bool CAdvancedSettingDialog::SetDefaults() {
    for (const CheckField& c : kChecks) {
        qobject_cast<QCheckBox*>(Control(c.id))->setChecked(c.id == IDC_PICTURE_IN_PICTURE);
    }
    printMode_->button(0)->setChecked(true);
    folder_->setText(DefaultImageFolder());
    speckSize_->setText(QString::number(kDefaultSpeckSize));
    return true;
}

void CAdvancedSettingDialog::OnBrowseFolder() {
    if (!chooser_) return;
    if (const std::optional<QString> chosen = chooser_(folder_->text())) {
        folder_->setText(QDir::fromNativeSeparators(*chosen));
    }
}

QString CAdvancedSettingDialog::TodayFolderName() const {
    const QDate today = (clock_ ? clock_() : QDateTime::currentDateTime()).date();
    return today.toString(QStringLiteral("yyyyMMdd"));
}

void CAdvancedSettingDialog::LoadTexts(int language) {
    for (const ControlText& t : kTexts) {
        QWidget* control = Control(t.id);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(t.text.In(language));
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(t.text.In(language));
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            group->setTitle(t.text.In(language));
        }
    }
    QStringList items;
    for (const char* item : kLanguageItems) items << QString::fromUtf8(item);
    const int shown = platform::IsLanguageIndex(language) ? language : 0;
    languages_->setCurrentIndex(FindPrefixIndex(items, items[shown]));
}

}  // namespace orbisk

#include "ui/preferences/system_info_dialog.h"

#include "core/command_ids.h"
#include "platform/language_text.h"
#include "ui/preferences/image_para_dialog.h"
#include "ui/preferences/water_mark_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orbisk {

using namespace ids::preferences_dlg;

namespace {

constexpr platform::LanguageText kTabTitles[3] = {
    {"图像参数", "圖像參數", "Image"},
    {"水印参数", "浮水印參數", "Watermark"},
    {"高级功能", "高階設定", "Advanced"},
};
constexpr platform::LanguageText kWindowTitle = {"设置系统参数", "系統參數設定", "Preference"};
constexpr platform::LanguageText kDefaultsText = {"默认值", "預設值", "Defaults"};
constexpr platform::LanguageText kOkText = {"确定", "確認", "Confirm"};
constexpr platform::LanguageText kCancelText = {"取消", "取消", "Cancel"};

constexpr int kImageTab = 0;
constexpr int kWatermarkTab = 1;
constexpr int kAdvancedTab = 2;

}  // namespace

CSystemInfoDialog::CSystemInfoDialog(QWidget* parent) : QDialog(parent) {
    auto* column = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QString::number(IDC_TABS));
    column->addWidget(tabs_, 1);
    auto* buttons = new QHBoxLayout;
    auto button = [&](int id) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* defaults = button(IDC_DEFAULTS);
    QPushButton* ok = button(ids::ID_OK);
    QPushButton* cancel = button(ids::ID_CANCEL);
    ok->setDefault(true);
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    connect(defaults, &QPushButton::clicked, this, &CSystemInfoDialog::OnDefaults);
    connect(ok, &QPushButton::clicked, this, &CSystemInfoDialog::OnConfirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The pages exist from the start, so that tests and callers can reach
    // them before the dialog is shown; OnInitDialog puts them on the tabs.
    image_ = new CImageParaDialog(this);
    watermark_ = new CWaterMarkDialog(this);
    advanced_ = new CAdvancedSettingDialog(this);
    image_->hide();
    watermark_->hide();
    advanced_->hide();
    LoadTexts(0);
}

CSystemInfoDialog::~CSystemInfoDialog() = default;

QPushButton* CSystemInfoDialog::Button(int id) const {
    return findChild<QPushButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CSystemInfoDialog::SetSettings(const SysSettings& settings) {
    m_settings = settings;
    currentPage_ = 0;
}

void CSystemInfoDialog::SetMessageSink(PageMessageSink sink) {
    image_->SetMessageSink(sink);
    watermark_->SetMessageSink(sink);
    advanced_->SetMessageSink(std::move(sink));
}

void CSystemInfoDialog::SetFolderChooser(FolderChooser chooser) {
    advanced_->SetFolderChooser(std::move(chooser));
}

void CSystemInfoDialog::SetClock(LocalClock clock) { advanced_->SetClock(std::move(clock)); }

void CSystemInfoDialog::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
}

bool CSystemInfoDialog::OnInitDialog() {
    initialised_ = true;
    LoadTexts(m_settings.Language);
    QWidget* pages[3] = {image_, watermark_, advanced_};
    if (tabs_->count() == 0) {
        for (int i = 0; i < 3; ++i) tabs_->insertTab(i, pages[i], titles_[i]);
    }
    const int tab = m_settings.SettingsTab >= 0 && m_settings.SettingsTab < 3
                        ? m_settings.SettingsTab
                        : kImageTab;
    tabs_->setCurrentIndex(tab);
    currentPage_ = tab;
    connect(tabs_, &QTabWidget::currentChanged, this, &CSystemInfoDialog::OnTabSelChange,
            Qt::UniqueConnection);
    image_->LoadSettings(m_settings);
    watermark_->LoadSettings(m_settings);
    advanced_->LoadSettings(m_settings);
    return true;
}

void CSystemInfoDialog::OnTabSelChange(int index) { currentPage_ = index; }

void CSystemInfoDialog::OnConfirm() {
    // Each page checks all its fields before it stores any; a page that
    // refuses stays in front with the pages before it already stored.
    if (!image_->StoreSettings(m_settings)) {
        tabs_->setCurrentIndex(kImageTab);
        return;
    }
    if (!watermark_->StoreSettings(m_settings)) {
        tabs_->setCurrentIndex(kWatermarkTab);
        return;
    }
    if (!advanced_->StoreSettings(m_settings)) {
        tabs_->setCurrentIndex(kAdvancedTab);
        return;
    }
    m_settings.SettingsTab = tabs_->currentIndex();
    accept();
}

void CSystemInfoDialog::OnDefaults() {
    if (image_->SetDefaults(m_settings.CameraModel) && watermark_->SetDefaults()) {
        advanced_->SetDefaults();
    }
}

void CSystemInfoDialog::LoadTexts(int language) {
    for (int i = 0; i < 3; ++i) {
        titles_[i] = kTabTitles[i].In(language);
        if (i < tabs_->count()) tabs_->setTabText(i, titles_[i]);
    }
    setWindowTitle(kWindowTitle.In(language));
    Button(IDC_DEFAULTS)->setText(kDefaultsText.In(language));
    Button(ids::ID_OK)->setText(kOkText.In(language));
    Button(ids::ID_CANCEL)->setText(kCancelText.In(language));
}

}  // namespace orbisk

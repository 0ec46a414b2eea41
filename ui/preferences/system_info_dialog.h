#pragma once

#include "core/sys_settings.h"
#include "ui/preferences/advanced_setting_dialog.h"
#include "ui/preferences/preference_rules.h"

#include <QDialog>
#include <QString>

class QPushButton;
class QTabWidget;

namespace orbisk {

class CImageParaDialog;
class CWaterMarkDialog;

// The preferences: the image, watermark and advanced pages over a copy of
// the settings. The dialog touches neither Sys.ini nor the cameras: after OK
// the caller takes the edited copy back (GetSettings) and applies it.
class CSystemInfoDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CSystemInfoDialog(QWidget* parent = nullptr);
    ~CSystemInfoDialog() override;

    // The copy to edit; before the dialog is shown.
    void SetSettings(const SysSettings& settings);
    const SysSettings& GetSettings() const { return m_settings; }

    // Builds the pages on the copy's tab and fills them from it; showing the
    // dialog does it when it has not been done. False when a page is missing.
    bool OnInitDialog();
    // OK: the pages store into the copy in the order image, watermark,
    // advanced; the first that refuses keeps the dialog open on its tab.
    void OnConfirm();
    // The defaults of every page in turn, as long as each reports success.
    void OnDefaults();
    void OnTabSelChange(int index);
    void LoadTexts(int language);

    // For tests: where the pages' refusals go, how a folder is chosen and
    // what the time is.
    void SetMessageSink(PageMessageSink sink);
    void SetFolderChooser(FolderChooser chooser);
    void SetClock(LocalClock clock);

    QTabWidget* Tabs() const { return tabs_; }
    CImageParaDialog* ImagePage() const { return image_; }
    CWaterMarkDialog* WatermarkPage() const { return watermark_; }
    CAdvancedSettingDialog* AdvancedPage() const { return advanced_; }
    QPushButton* Button(int id) const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    SysSettings m_settings;
    QString titles_[3];
    QTabWidget* tabs_ = nullptr;
    CImageParaDialog* image_ = nullptr;
    CWaterMarkDialog* watermark_ = nullptr;
    CAdvancedSettingDialog* advanced_ = nullptr;
    int currentPage_ = 0;
    bool initialised_ = false;
};

}  // namespace orbisk

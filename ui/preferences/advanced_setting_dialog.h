#pragma once

#include "core/sys_settings.h"
#include "ui/preferences/preference_rules.h"

#include <QWidget>

#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace orbisk {

// Asks the operator for a folder, starting at `current`: the chosen folder,
// or none when the operator cancels.
using FolderChooser = std::function<std::optional<QString>(const QString& current)>;

// The third page of the preferences: the storage folder and its folder per
// day, the print mode and the switches of the capture road. The page
// orientation check, the English recognition and the language have hidden
// controls: they go through OK as they were loaded.
class CAdvancedSettingDialog : public QWidget {
    Q_OBJECT

  public:
    explicit CAdvancedSettingDialog(QWidget* parent = nullptr);

    bool LoadSettings(const SysSettings& settings);
    // False, with a message and nothing stored, for a speck size outside
    // 1..20 or a storage folder the operator chose that can't be written.
    bool StoreSettings(SysSettings& settings);
    bool SetDefaults();
    // The folder browser; a cancelled one leaves the folder as it was.
    void OnBrowseFolder();
    // The local date as yyyymmdd, by the page's clock.
    QString TodayFolderName() const;
    void LoadTexts(int language);

    void SetMessageSink(PageMessageSink sink) { sink_ = std::move(sink); }
    void SetFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
    // The local time; an empty clock reads the system's.
    void SetClock(LocalClock clock) { clock_ = std::move(clock); }
    QWidget* Control(int id) const;

    // The speck sizes the page takes.
    static constexpr int kMinSpeckSize = 1;
    static constexpr int kMaxSpeckSize = 20;

  private:
    int language_ = 0;
    // The folder as loaded: a folder the operator did not change is not
    // tested again.
    QString loadedFolder_;
    PageMessageSink sink_;
    FolderChooser chooser_;
    LocalClock clock_;
    QLineEdit* folder_ = nullptr;
    QLineEdit* speckSize_ = nullptr;
    QButtonGroup* printMode_ = nullptr;
    QComboBox* languages_ = nullptr;
};

}  // namespace orbisk

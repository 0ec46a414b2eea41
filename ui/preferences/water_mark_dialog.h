#pragma once

#include "core/sys_settings.h"
#include "ui/preferences/preference_rules.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace orbisk {

// The second page of the preferences: the time-stamp and custom-text
// watermarks, their position, size, colour and transparency.
class CWaterMarkDialog : public QWidget {
    Q_OBJECT

  public:
    explicit CWaterMarkDialog(QWidget* parent = nullptr);

    bool LoadSettings(const SysSettings& settings);
    // False, with a message and nothing stored, for a custom watermark
    // without text or a size outside kMinWatermarkSize..kMaxWatermarkSize.
    bool StoreSettings(SysSettings& settings);
    bool SetDefaults();
    void LoadTexts(int language);
    // The custom check was clicked: the text edit follows it.
    void OnCustomToggle();

    void SetMessageSink(PageMessageSink sink) { sink_ = std::move(sink); }
    QWidget* Control(int id) const;

  private:
    int language_ = 0;
    // The position loaded, kept when the list shows none.
    int loadedPosition_ = kWatermarkCentre;
    PageMessageSink sink_;
    QLineEdit* text_ = nullptr;
    QComboBox* position_ = nullptr;
    QLineEdit* size_ = nullptr;
    QComboBox* colour_ = nullptr;
    QSlider* slider_ = nullptr;
    QLineEdit* transparency_ = nullptr;
    QCheckBox* timeStamp_ = nullptr;
    QCheckBox* custom_ = nullptr;
};

}  // namespace orbisk

#pragma once

#include "core/sys_settings.h"
#include "ui/preferences/preference_rules.h"

#include <QWidget>

#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace orbisk {

// The first page of the preferences: the dpi written into images, the JPEG
// quality, the capture size of the current camera (the sizes it really
// offers, asked of the resolution probe, and those its images are enlarged
// to), the trims of the live picture and the file format.
class CImageParaDialog : public QWidget {
    Q_OBJECT

  public:
    explicit CImageParaDialog(QWidget* parent = nullptr);

    // Fills the size list from the current camera and shows the values of
    // `settings`. False when the camera offers no size; every other value is
    // shown all the same, and the sizes of the record are then kept on OK.
    bool LoadSettings(const SysSettings& settings);
    // Checks every field, then stores them all into `settings`; false, with
    // a message and the field focused, when one is out of range (nothing is
    // stored then).
    bool StoreSettings(SysSettings& settings);
    // The defaults of a camera model; false, with nothing changed, for a
    // model outside the table.
    bool SetDefaults(int model);
    // The size list of a camera; false when it offers no size.
    bool FillResolutionList(const QString& vid, const QString& pid);
    void LoadTexts(int language);

    void SetMessageSink(PageMessageSink sink) { sink_ = std::move(sink); }
    const std::vector<SizeEntry>& Entries() const { return entries_; }
    QWidget* Control(int id) const;

    // The dpi fields take 1..400.
    static constexpr int kMinDpi = 1;
    static constexpr int kMaxDpi = 400;

  private:
    // Selects the item whose text is `text`; false (selection unchanged)
    // when none is.
    bool SelectSize(const QString& text);
    void ShowValues(int xdpi, int ydpi, int quality, const int (&trims)[4]);

    int language_ = 0;
    std::vector<SizeEntry> entries_;
    PageMessageSink sink_;
    QLineEdit* xdpi_ = nullptr;
    QLineEdit* ydpi_ = nullptr;
    QSlider* quality_ = nullptr;
    QComboBox* sizes_ = nullptr;
    QLineEdit* trims_[4] = {};
    QButtonGroup* formats_ = nullptr;
};

}  // namespace orbisk

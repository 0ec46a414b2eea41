#pragma once

#include "core/sys_settings.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

namespace orbisk {

// The entry of a free file name (naming rule 2) or of a watermark name. OK
// closes only on an acceptable name; a refused name keeps the dialog open
// with a message.
class CCustomFileNameDlg : public QDialog {
    Q_OBJECT

  public:
    // `language`: 0 simplified Chinese, 1 traditional Chinese, 2 English.
    CCustomFileNameDlg(QWidget* parent, bool watermark, int language);

    // The texts of `language`; the label reads "水印名:" for a watermark name.
    void OnInitDialog();
    void LoadTexts(int language);
    // OK: takes the edit's text when it is an acceptable name.
    void OnConfirm();
    QString GetName() const { return m_strName; }

    QLineEdit* NameEdit() const { return edit_; }
    QLabel* NameLabel() const { return label_; }

    // Where refusals go; by default an error box with an empty caption.
    void SetMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    QString m_strName;
    bool m_bWatermark = false;
    int m_nLanguage = 0;

  private:
    QString forbiddenText_;
    QString emptyText_;
    QString tooLongText_;
    QLabel* label_ = nullptr;
    QLineEdit* edit_ = nullptr;
    std::function<void(const QString&)> sink_;
};

// Asks for a free file name over `parent`: the entered name, or no value when
// the operator cancels.
FileNameProvider AskFileName(QWidget* parent);

}  // namespace orbisk

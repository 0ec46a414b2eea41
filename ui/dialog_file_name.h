#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QPlainTextEdit;

namespace orbisk {

// Where the prefix editor reads the prefix list from and keeps an accepted
// one (the owner stores it and writes Sys.ini).
struct PrefixListStore {
    std::function<QString()> load;
    std::function<void(const QString&)> store;
};

// The prefix editor: one multi-line edit with the prefixes separated by "|".
// OK keeps an acceptable list and closes; any other list keeps the editor open
// with a message and stores nothing.
class CDialogFileName : public QDialog {
    Q_OBJECT

  public:
    // `language`: 0 simplified Chinese, 1 traditional Chinese, 2 English.
    CDialogFileName(QWidget* parent, int language, PrefixListStore store);

    // Shows the stored list.
    void OnInitDialog();
    // OK: keeps the edited list when every prefix is acceptable; the items then
    // end with the editor item.
    void OnConfirm();
    void OnCancelClicked() { reject(); }
    // Splits `text` into m_items; false for an empty piece.
    bool SplitPrefixes(const QString& text);

    QPlainTextEdit* PrefixEdit() const { return edit_; }

    // Where the refusal goes; by default an error box with an empty caption.
    void SetMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    QString m_strPrefixes;
    QStringList m_items;
    int m_nLanguage = 0;

  private:
    PrefixListStore store_;
    QPlainTextEdit* edit_ = nullptr;
    std::function<void(const QString&)> sink_;
};

}  // namespace orbisk

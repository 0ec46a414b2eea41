#pragma once

#include <QDialog>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orbisk {

// A test dialog for an identity-card reader: "读卡" asks the reader library
// for one card and shows its fields and photo. Without the library the button
// does nothing. No command of the program opens it.
class CIDCardTestDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CIDCardTestDlg(QWidget* parent = nullptr);
    ~CIDCardTestDlg() override;

    // Button 1144: one card through the library.
    void OnReadCard();

    // Where the library is loaded from; "IDCard/libIDCardReader.so" beside
    // the program unless set.
    void SetLibraryPath(const QString& path) { libraryPath_ = path; }
    QString LibraryPath() const { return libraryPath_; }
    // Where the library writes the photo: in the program's private temporary
    // folder (or, before the program made it, a private folder of the dialog's
    // own), never the shared current folder.
    QString PhotoPath() const { return photoPath_; }

    // Where the failure message goes (caption, text); by default an
    // information box.
    void SetMessageSink(std::function<void(const QString&, const QString&)> sink) {
        sink_ = std::move(sink);
    }

    QLabel* Photo() const { return photo_; }
    QPlainTextEdit* CardTextEdit() const { return edit_; }
    QPushButton* ReadButton() const { return readButton_; }

    // The card text as shown, lines ending in "\r\n".
    QString m_strCardText;

  private:
    void UpdateControls();

    QString libraryPath_;
    std::unique_ptr<QTemporaryDir> ownFolder_;
    QString photoPath_;
    QLabel* photo_ = nullptr;
    QPlainTextEdit* edit_ = nullptr;
    QPushButton* readButton_ = nullptr;
    std::function<void(const QString&, const QString&)> sink_;
};

}  // namespace orbisk

#pragma once

#include <QDialog>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace orbisk {

// The list of the shots of a timed shooting run, saved together into one
// document: one PDF or one multi-page TIFF at the target path. A right click
// on a shot opens or removes it; OK combines the shots and reports
// WM_PAGE_DLG_CLOSED to the parent, Cancel only reports. Nothing in the
// program opens it yet.
class CPicDlg : public QDialog {
  public:
    static constexpr int kOutputPdf = 2;
    static constexpr int kOutputTiff = 3;

    explicit CPicDlg(QWidget* parent = nullptr);

    // Set before the dialog opens.
    int m_nOutput = kOutputPdf;
    QString m_strTargetPath;
    QSize m_thumbnailSize;  // empty: no pictures in the list
    int m_nXDpi = 200;
    int m_nYDpi = 200;
    int m_nJpegQuality = 50;

    // A shot file and the type of its page (0 colour, 1 grey, 2 black and
    // white).
    void AddShot(const QString& path, int pageType);
    const QStringList& Shots() const { return shots_; }
    const std::vector<int>& PageTypes() const { return types_; }
    int ShotCount() const { return static_cast<int>(shots_.size()); }

    // The texts and the list's column; the window title names the target.
    void OnInitDialog();
    // A right click on the list's row `row`: remembered for the menu, which
    // opens at `globalPos`.
    void OnRightClick(int row, const QPoint& globalPos);
    // The menu's items on the remembered row.
    void OnOpenShot();
    void OnRemoveShot();
    // OK: combines the shots; on success the parent hears
    // WM_PAGE_DLG_CLOSED and the dialog closes. A document that could not be
    // written is told, and the dialog stays open with its shots.
    void OnCombine();
    void OnCancel();

    // Seams: how a shot file is opened (the desktop's viewer) and where
    // operator messages go (a warning box).
    void SetFileOpener(std::function<bool(const QString&)> opener) { opener_ = std::move(opener); }
    void SetMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    QLabel* CountLabel() const { return count_; }
    QTreeWidget* List() const { return list_; }
    QMenu* Menu() const { return menu_; }

    void reject() override { OnCancel(); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    bool WriteDocument();
    void ShowCount();
    void AddRow(const QString& path);

    QStringList shots_;
    std::vector<int> types_;
    int menuRow_ = -1;
    bool initialised_ = false;
    QLabel* count_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QMenu* menu_ = nullptr;
    std::function<bool(const QString&)> opener_;
    std::function<void(const QString&)> sink_;
};

}  // namespace orbisk

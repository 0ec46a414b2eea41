#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/sys_settings.h"
#include "documents/dialogs/image_printer.h"

class QMenu;
class QPushButton;

namespace orbisk {

class CImageTile;

// The small floating dialog of merge mode: two captures as two picture tiles,
// which the operator can swap, stack or put side by side, print, or merge
// into one image file on OK. Modeless and deleted on close: the owner creates
// it with new, sets MergeBaseName, adds images, shows it and only forgets its
// pointer when Closed arrives; it deletes the dialog itself only while the
// dialog is open (no Closed is sent then). The source files are deleted after
// a merge unless SRC is set.
class CShowImageDlg : public QDialog {
    Q_OBJECT

  public:
    // `orientation`: 1 stacked, 0 side by side. `language`: 0 simplified
    // Chinese, 1 traditional Chinese, 2 English.
    CShowImageDlg(int orientation, QWidget* owner, int language);
    ~CShowImageDlg() override;

    // Base name (no extension) of the merged file.
    QString MergeBaseName;

    void SetSettings(const SysSettings& settings) { settings_ = settings; }
    const SysSettings& Settings() const { return settings_; }

    // A captured file. The first readable one fixes the tile size; then the
    // first empty tile takes the file, and with both filled the two tiles are
    // replaced in turn.
    void AddImage(const QString& path);
    void Redraw() { update(); }

    // The handlers, reachable without a mouse.
    void OnBnClickedOk();
    void OnBnClickedCancel();
    void OnBnClickedSwap();
    void OnBnClickedOrientation();
    void OnBnClickedPrint();
    // A tile's click report: a right click (kind 2) opens the tile menu at the
    // last mouse position.
    void OnTileClicked(int tile, int kind);
    void OnMenuOpen();
    void OnMenuRemove();

    // The captured files its tiles hold, in tile order.
    QStringList Images() const;
    // OK or Cancel has closed it; it deletes itself.
    bool IsClosing() const { return closing_; }

    int Orientation() const { return orientation_; }
    // 1: tile 0 comes first, 0: tile 1 comes first.
    int Order() const { return order_; }
    const CImageTile* Tile(int tile) const;
    // Index of the tile whose image comes first (top or left).
    int FirstTile() const { return order_ ? 0 : 1; }
    QString MergedPath() const { return mergedPath_; }
    QMenu* TileMenu() const { return tileMenu_; }
    QPushButton* Button(int controlId) const;

    // Where the two-images-needed and print-failure texts go; by default
    // message boxes.
    void SetMessageSink(std::function<void(const QString&)> sink) {
        messageSink_ = std::move(sink);
    }
    // How Print prepares its printer; by default the system's print dialog.
    void SetPrintSetup(CImagePrinter::PrintSetup setup) { printSetup_ = std::move(setup); }

  signals:
    // Directly before the dialog closes: the merged file on OK (empty when the
    // merge failed), empty on Cancel.
    void MergedImagePath(const QString& path);
    // WM_MERGE_DLG_CLOSED with the dialog's address, from its destruction after
    // OK or Cancel. Connect it queued: the dialog is gone when it arrives.
    void Closed(int message, qintptr dialog);

  public slots:
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void CreateControls();
    void SetLanguageTexts(int language);
    void LayoutTiles();
    bool BothTilesFilled() const;
    void Finish(int result);
    void Tell(const QString& text);

    int language_ = 0;
    SysSettings settings_;
    std::vector<std::unique_ptr<CImageTile>> tiles_;
    int tileWidth_ = 1;
    int tileHeight_ = 1;
    int orientation_ = 1;
    int order_ = 1;
    int imageCount_ = 0;
    int nextTile_ = 0;
    int menuTile_ = -1;
    QString mergedPath_;
    QPoint mouse_;
    bool closing_ = false;
    QMenu* tileMenu_ = nullptr;
    std::vector<std::pair<int, QPushButton*>> buttons_;
    std::function<void(const QString&)> messageSink_;
    CImagePrinter::PrintSetup printSetup_;
};

}  // namespace orbisk

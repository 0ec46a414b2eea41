#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/sys_settings.h"
#include "documents/dialogs/page_list.h"
#include "documents/dialogs/page_paging.h"

class QMenu;
class QPushButton;

namespace orbisk {

class CImageTile;

// The floating strip that collects the pages of one PDF or multi-page TIFF:
// four page tiles, paging buttons, a page menu (delete, move before another
// page), combine and cancel. Modeless; the main window creates it, assigns
// Settings and TargetName, shows it and deletes it when it reports
// WM_PAGE_DLG_CLOSED. Destroying it deletes the page files unless SRC is set.
class CMultiPageDlg : public QDialog {
    Q_OBJECT

  public:
    // `outputMode`: 0 PDF, 1 multi-page TIFF. `language`: 0 simplified
    // Chinese, 1 traditional Chinese, 2 English.
    CMultiPageDlg(QWidget* parent, int outputMode, int language);
    ~CMultiPageDlg() override;

    // The main window's settings; COLOR gives each added page its type, SRC
    // keeps the page files.
    SysSettings Settings;
    // The file to write; in PDF mode its extension becomes ".pdf".
    QString TargetName;
    int OutputMode = 0;

    // A page file saved in a collection mode; a path already collected is
    // ignored. The newest pages become visible.
    void AddPage(const QString& path);

    // Where operator messages go; by default a warning box over the dialog.
    void SetMessageSink(std::function<void(const QString&)> sink) {
        messageSink_ = std::move(sink);
    }

    // The handlers, reachable without a mouse.
    void OnBnClickedPrevOne() { Page(PageStep::PrevOne); }
    void OnBnClickedNextOne() { Page(PageStep::NextOne); }
    void OnBnClickedPrevFour() { Page(PageStep::PrevFour); }
    void OnBnClickedNextFour() { Page(PageStep::NextFour); }
    // A tile's click report: a right click (kind 2) on a tile that shows a
    // page opens the page menu at the last right-click position.
    void OnTileClicked(int tile, int kind);
    // A page-menu command for the tile of the last right click.
    void OnCommand(int command);
    void OnMenuDeletePage();
    // Writes the document. Closes on success (with no pages left there is
    // nothing to write, and it just closes); on failure tells the operator,
    // keeps every page file and stays open.
    void OnBnClickedCombine();
    // The writing of OnBnClickedCombine alone: true when the document was
    // written or there was nothing to write; false after telling the operator.
    bool WriteDocument();
    void OnBnClickedCancel();
    // Reports the close to the parent (once) and drops the tiles.
    void OnClose();

    const CPageList& Pages() const { return pages_; }
    // The page a tile shows (-1 none); -1 for a tile that does not exist.
    int TilePage(int tile) const;
    const CImageTile* Tile(int tile) const;
    QMenu* PageMenu() const { return pageMenu_; }
    QPushButton* Button(int controlId) const;

  public slots:
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls(int language);
    void CreateTiles();
    void RefreshTiles(int first);
    void Page(PageStep step);
    void DeletePageFiles();

    int language_ = 0;
    CPageList pages_;
    std::vector<std::unique_ptr<CImageTile>> tiles_;
    std::array<int, kPageTileCount> tilePages_{-1, -1, -1, -1};
    QPoint lastRightClick_;
    int rightClickTile_ = 0;
    bool closed_ = false;
    QMenu* pageMenu_ = nullptr;
    std::vector<std::pair<int, QPushButton*>> buttons_;
    std::function<void(const QString&)> messageSink_;
};

}  // namespace orbisk

#include "documents/dialogs/multi_page_dlg.h"
#include "core/command_ids.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>

#include "core/bitmap_resources.h"
#include "documents/dialogs/multi_page_texts.h"
#include "documents/dialogs/page_combine.h"
#include "documents/dialogs/tile_owner.h"
#include "platform/window_messages.h"
#include "ui/image_tile.h"

namespace orbisk {
namespace {

// The strip's geometry in pixels.
constexpr int kWindowWidth = 180;
constexpr int kWindowHeight = 672;
constexpr int kTileLeft = 25;
constexpr int kFirstTileTop = 30;
constexpr int kTileGap = 5;

// Tips come up quickly: the paging buttons carry no text of their own.
constexpr int kToolTipDelayMs = 150;
constexpr double kWindowOpacity = 240.0 / 255.0;

class QuickToolTipStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
            return kToolTipDelayMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The wait cursor for the length of a scope.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

CMultiPageDlg::CMultiPageDlg(QWidget* parent, int outputMode, int language)
    : QDialog(parent), OutputMode(outputMode), language_(language) {
    CreateControls(language);
    CreateTiles();
    messageSink_ = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

CMultiPageDlg::~CMultiPageDlg() { DeletePageFiles(); }

void CMultiPageDlg::CreateControls(int language) {
    const MultiPageTexts& texts = MultiPageTextsFor(language);
    setWindowTitle(QString::fromUtf8(texts.caption));
    setFixedSize(kWindowWidth, kWindowHeight);
    setWindowOpacity(kWindowOpacity);
    // Only this dialog's tips are blue; QToolTip's palette is the whole program's.
    setStyleSheet(QStringLiteral("QToolTip { color: #0000ff; }"));
    auto* quickTips = new QuickToolTipStyle;

    const struct {
        int id;
        const char* caption;
        const char* tip;
        void (CMultiPageDlg::*handler)();
    } paging[] = {
        {ids::page_dlg::IDC_PREV_FOUR, "<<", texts.tipPrevFour,
         &CMultiPageDlg::OnBnClickedPrevFour},
        {ids::page_dlg::IDC_PREV_ONE, "<", texts.tipPrevOne, &CMultiPageDlg::OnBnClickedPrevOne},
        {ids::page_dlg::IDC_NEXT_ONE, ">", texts.tipNextOne, &CMultiPageDlg::OnBnClickedNextOne},
        {ids::page_dlg::IDC_NEXT_FOUR, ">>", texts.tipNextFour,
         &CMultiPageDlg::OnBnClickedNextFour},
    };
    constexpr int kPagingWidth = 32, kPagingGap = 6, kPagingLeft = 17;
    for (std::size_t i = 0; i < std::size(paging); ++i) {
        auto* button = new QPushButton(QString::fromLatin1(paging[i].caption), this);
        button->setGeometry(kPagingLeft + int(i) * (kPagingWidth + kPagingGap), 4, kPagingWidth,
                            22);
        button->setToolTip(QString::fromUtf8(paging[i].tip));
        button->setStyle(quickTips);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, paging[i].handler);
        buttons_.emplace_back(paging[i].id, button);
    }
    auto* combine = new QPushButton(QString::fromUtf8(texts.combine), this);
    combine->setGeometry(16, kWindowHeight - 32, 70, 24);
    combine->setAutoDefault(false);
    connect(combine, &QPushButton::clicked, this, &CMultiPageDlg::OnBnClickedCombine);
    buttons_.emplace_back(ids::page_dlg::IDC_COMBINE, combine);
    auto* cancel = new QPushButton(QString::fromUtf8(texts.cancel), this);
    cancel->setGeometry(94, kWindowHeight - 32, 70, 24);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CMultiPageDlg::OnBnClickedCancel);
    buttons_.emplace_back(ids::page_dlg::IDC_CLOSE, cancel);

    pageMenu_ = new QMenu(this);
    // Children go in the order they joined: the buttons use the style until
    // they are gone.
    quickTips->setParent(this);
}

void CMultiPageDlg::CreateTiles() {
    // The placeholder's size is the tiles' size.
    const QImage placeholder = LoadBitmapResource(kEmptyPictureBitmap);
    const int w = placeholder.width(), h = placeholder.height();
    for (int i = 0; i < kPageTileCount; ++i) {
        auto tile = std::make_unique<CImageTile>(i);
        const int top = (h + kTileGap) * i + kFirstTileTop;
        tile->Init(platform::WM_TILE_CLICKED, i, kTileLeft, top, kTileLeft + w, top + h, this,
                   true);
        tiles_.push_back(std::move(tile));
    }
}

QPushButton* CMultiPageDlg::Button(int controlId) const {
    for (const auto& [id, button] : buttons_) {
        if (id == controlId) {
            return button;
        }
    }
    return nullptr;
}

int CMultiPageDlg::TilePage(int tile) const {
    if (tile < 0 || tile >= static_cast<int>(tiles_.size())) {
        return -1;
    }
    return tilePages_[static_cast<std::size_t>(tile)];
}

const CImageTile* CMultiPageDlg::Tile(int tile) const {
    if (tile < 0 || tile >= static_cast<int>(tiles_.size())) {
        return nullptr;
    }
    return tiles_[static_cast<std::size_t>(tile)].get();
}

void CMultiPageDlg::AddPage(const QString& path) {
    if (pages_.Add(path, Settings.COLOR)) {
        RefreshTiles(-1);
    }
}

void CMultiPageDlg::RefreshTiles(int first) {
    if (tiles_.empty()) {
        return;
    }
    const int shown = FirstShownPage(first, pages_.Count(), static_cast<int>(tiles_.size()));
    if (shown < 0) {
        return;
    }
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        CImageTile& tile = *tiles_[i];
        tile.Clear();
        tile.SetBitmap(kEmptyPictureBitmap);
        tilePages_[i] = -1;
        const int page = shown + static_cast<int>(i);
        if (page < pages_.Count()) {
            tile.m_nNumber = page;
            tile.LoadImageFile(pages_.Paths()[page]);
            tilePages_[i] = page;
        }
    }
    update();
}

void CMultiPageDlg::Page(PageStep step) {
    const int target =
        PagingTarget(step, pages_.Count(), TilePage(0), static_cast<int>(tiles_.size()));
    if (target >= 0) {
        RefreshTiles(target);
    }
}

void CMultiPageDlg::OnTileClicked(int tile, int kind) {
    if (kind != 2 || TilePage(tile) < 0) {
        return;
    }
    rightClickTile_ = tile;
    const MultiPageTexts& texts = MultiPageTextsFor(language_);
    pageMenu_->clear();
    pageMenu_->addAction(QString::fromUtf8(texts.deletePage), this,
                         [this] { OnCommand(ids::page_dlg::ID_PAGE_DELETE); });
    QMenu* insert = pageMenu_->addMenu(QString::fromUtf8(texts.insert));
    for (const PageMenuItem& item :
         InsertMenuItems(pages_.Count(), QString::fromUtf8(texts.beforePage))) {
        insert->addAction(item.text, this, [this, command = item.command] { OnCommand(command); });
    }
    pageMenu_->popup(mapToGlobal(lastRightClick_));
}

void CMultiPageDlg::OnCommand(int command) {
    if (command == ids::page_dlg::ID_PAGE_DELETE) {
        OnMenuDeletePage();
        return;
    }
    // The item "k之前" puts the page at position k - 1 of the list without it.
    const int beforePage = InsertCommandPage(command, pages_.Count());
    const int page = TilePage(rightClickTile_);
    if (beforePage > 0 && page >= 0 && pages_.MoveTo(page, beforePage - 1)) {
        RefreshTiles(-1);
    }
}

void CMultiPageDlg::OnMenuDeletePage() {
    const int page = TilePage(rightClickTile_);
    if (page < 0) {
        return;
    }
    QFile::remove(pages_.Paths()[page]);
    pages_.Remove(page);
    rightClickTile_ = -1;
    RefreshTiles(-1);
}

void CMultiPageDlg::OnBnClickedCombine() {
    if (!WriteDocument()) return;
    OnClose();
    QDialog::reject();
}

bool CMultiPageDlg::WriteDocument() {
    if (pages_.Count() == 0) return true;
    const WaitCursor wait;
    if (!CombinePages(OutputMode, TargetName, pages_.Paths(), pages_.Types())) {
        messageSink_(QString::fromUtf8(MultiPageTextsFor(language_).combineFailed)
                         .arg(CombinedFileName(OutputMode, TargetName)));
        return false;
    }
    return true;
}

void CMultiPageDlg::OnBnClickedCancel() {
    OnClose();
    QDialog::reject();
}

void CMultiPageDlg::reject() { OnBnClickedCancel(); }

void CMultiPageDlg::OnClose() {
    if (!closed_) {
        closed_ = true;
        platform::PostWindowMessage(parentWidget(), platform::WM_PAGE_DLG_CLOSED, 0, 0);
    }
    tiles_.clear();
    tilePages_.fill(-1);
}

void CMultiPageDlg::DeletePageFiles() {
    if (Settings.SRC) {
        return;
    }
    for (const QString& path : pages_.Paths()) {
        QFile::remove(path);
    }
}

bool CMultiPageDlg::event(QEvent* event) {
    if (const auto click = TileClickOf(event)) {
        OnTileClicked(click->tile, click->kind);
        return true;
    }
    return QDialog::event(event);
}

void CMultiPageDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    PaintTiles(painter, tiles_);
}

void CMultiPageDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        for (const auto& tile : tiles_) {
            tile->OnLButtonDown(0, at.x(), at.y());
        }
    } else if (event->button() == Qt::RightButton) {
        lastRightClick_ = at;
        for (const auto& tile : tiles_) {
            tile->OnRButtonDown(0, at.x(), at.y());
        }
    }
    QDialog::mousePressEvent(event);
}

void CMultiPageDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        for (const auto& tile : tiles_) {
            tile->OnLButtonUp(0, at.x(), at.y());
        }
    }
    QDialog::mouseReleaseEvent(event);
}

void CMultiPageDlg::closeEvent(QCloseEvent* event) {
    OnClose();
    event->accept();
}

}  // namespace orbisk

#include "documents/dialogs/show_image_dlg.h"
#include "core/command_ids.h"

#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "core/image_header.h"
#include "core/link_opener.h"
#include "documents/dialogs/merge_layout.h"
#include "documents/dialogs/show_image_texts.h"
#include "documents/dialogs/tile_owner.h"
#include "documents/image_saver.h"
#include "platform/window_messages.h"
#include "ui/image_tile.h"

namespace orbisk {
namespace {

constexpr int kMargin = 7;
constexpr int kButtonWidth = 68;
constexpr int kButtonHeight = 24;
constexpr int kButtonCount = 5;
// The button row's width: the window is never narrower.
constexpr int kButtonRowWidth = kButtonCount * kButtonWidth + (kButtonCount - 1) * 5 + 2 * kMargin;

// The file Print merges into and deletes again, in the current folder.
const QString kPrintBaseName = QStringLiteral("PTmp.bmp");
constexpr int kPrintGap = 10;

}  // namespace

CShowImageDlg::CShowImageDlg(int orientation, QWidget* owner, int language)
    : QDialog(owner), language_(language), orientation_(orientation) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    for (int i = 0; i < 2; ++i) {
        auto tile = std::make_unique<CImageTile>(i);
        tile->Init(platform::WM_TILE_CLICKED, i, 0, 0, 1, 1, this, true);
        tiles_.push_back(std::move(tile));
    }
    CreateControls();
    SetLanguageTexts(language_);
    LayoutTiles();
}

CShowImageDlg::~CShowImageDlg() {
    tiles_.clear();
    if (closing_) {
        emit Closed(platform::WM_MERGE_DLG_CLOSED, reinterpret_cast<qintptr>(this));
    }
}

void CShowImageDlg::CreateControls() {
    const ShowImageTexts& texts = MergeDialogTexts();
    const struct {
        int id;
        void (CShowImageDlg::*handler)();
    } buttons[] = {
        {ids::ID_OK, &CShowImageDlg::OnBnClickedOk},
        {ids::ID_CANCEL, &CShowImageDlg::OnBnClickedCancel},
        {ids::merge_dlg::IDC_SWAP, &CShowImageDlg::OnBnClickedSwap},
        {ids::merge_dlg::IDC_ORIENTATION, &CShowImageDlg::OnBnClickedOrientation},
        {ids::merge_dlg::IDC_PRINT, &CShowImageDlg::OnBnClickedPrint},
    };
    int left = kMargin;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(this);
        button->setGeometry(left, kMargin, kButtonWidth, kButtonHeight);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.handler);
        buttons_.emplace_back(b.id, button);
        left += kButtonWidth + 5;
    }
    tileMenu_ = new QMenu(this);
    tileMenu_->addAction(QString::fromUtf8(texts.removeFile), this, &CShowImageDlg::OnMenuRemove);
    tileMenu_->addAction(QString::fromUtf8(texts.openFile), this, &CShowImageDlg::OnMenuOpen);
}

void CShowImageDlg::SetLanguageTexts(int language) {
    const ShowImageTexts& texts = MergeDialogTexts();
    setWindowTitle(texts.caption.In(language));
    Button(ids::ID_OK)->setText(texts.ok.In(language));
    Button(ids::ID_CANCEL)->setText(texts.cancel.In(language));
    Button(ids::merge_dlg::IDC_SWAP)->setText(texts.swap.In(language));
    Button(ids::merge_dlg::IDC_PRINT)->setText(texts.print.In(language));
}

QPushButton* CShowImageDlg::Button(int controlId) const {
    for (const auto& [id, button] : buttons_) {
        if (id == controlId) {
            return button;
        }
    }
    return nullptr;
}

const CImageTile* CShowImageDlg::Tile(int tile) const {
    if (tile < 0 || tile >= static_cast<int>(tiles_.size())) {
        return nullptr;
    }
    return tiles_[static_cast<std::size_t>(tile)].get();
}

QStringList CShowImageDlg::Images() const {
    QStringList images;
    for (const auto& tile : tiles_) {
        if (!tile->GetPath().isEmpty()) images.append(tile->GetPath());
    }
    return images;
}

bool CShowImageDlg::BothTilesFilled() const {
    return tiles_.size() == 2 && !tiles_[0]->GetPath().isEmpty() && !tiles_[1]->GetPath().isEmpty();
}

void CShowImageDlg::AddImage(const QString& path) {
    if (tiles_.size() != 2) {
        return;
    }
    if (imageCount_ == 0) {
        const std::optional<QSize> size = PageImageSize(path);
        if (!size) {
            return;
        }
        const IntRect rect = MergeTileRect(size->width(), size->height());
        tileWidth_ = rect.Width();
        tileHeight_ = rect.Height();
        for (const auto& tile : tiles_) {
            tile->SetRect(rect.left, rect.top, rect.right, rect.bottom);
        }
        LayoutTiles();
    }
    ++imageCount_;
    const int tile = TileForNewImage(!tiles_[0]->GetPath().isEmpty(),
                                     !tiles_[1]->GetPath().isEmpty(), nextTile_);
    tiles_[static_cast<std::size_t>(tile)]->LoadImageFile(path);
    update();
}

void CShowImageDlg::LayoutTiles() {
    if (tiles_.size() != 2) {
        return;
    }
    const ShowImageTexts& texts = MergeDialogTexts();
    const bool stacked = orientation_ != 0;
    Button(ids::merge_dlg::IDC_ORIENTATION)
        ->setText((stacked ? texts.leftRight : texts.topBottom).In(language_));
    const MergeLayout layout = LayoutMergeTiles(stacked, tileWidth_, tileHeight_, kButtonHeight);
    CImageTile& first = *tiles_[static_cast<std::size_t>(FirstTile())];
    CImageTile& second = *tiles_[static_cast<std::size_t>(1 - FirstTile())];
    first.SetRect(layout.first.left, layout.first.top, layout.first.right, layout.first.bottom);
    second.SetRect(layout.second.left, layout.second.top, layout.second.right,
                   layout.second.bottom);
    setFixedSize(std::max(layout.clientWidth, kButtonRowWidth), layout.clientHeight);
    move(0, 0);
}

void CShowImageDlg::OnBnClickedSwap() {
    order_ = order_ ? 0 : 1;
    LayoutTiles();
    Redraw();
}

void CShowImageDlg::OnBnClickedOrientation() {
    orientation_ = orientation_ ? 0 : 1;
    LayoutTiles();
    Redraw();
}

void CShowImageDlg::OnBnClickedOk() {
    if (!BothTilesFilled()) {
        Tell(MergeDialogTexts().twoImagesNeeded.In(language_));
        return;
    }
    if (MergeBaseName.isEmpty()) {
        return;
    }
    const QString a = tiles_[static_cast<std::size_t>(FirstTile())]->GetPath();
    const QString b = tiles_[static_cast<std::size_t>(1 - FirstTile())]->GetPath();
    CImageSaver saver(0);
    saver.SetSettings(settings_);
    mergedPath_ = saver.MergeImages(a, b, MergeBaseName, orientation_, 0);
    emit MergedImagePath(mergedPath_);
    // The captures are the only copy until the merged file exists.
    if (!settings_.SRC && !mergedPath_.isEmpty() && QFile::exists(mergedPath_)) {
        for (const QString& source : {a, b}) {
            if (source != mergedPath_) {
                QFile::remove(source);
            }
        }
    }
    Finish(QDialog::Accepted);
}

void CShowImageDlg::OnBnClickedPrint() {
    if (!BothTilesFilled()) {
        Tell(MergeDialogTexts().twoImagesNeeded.In(language_));
        return;
    }
    // A copy: printing is always in colour, and the operator's own colour
    // mode and quality stay for OK.
    SysSettings printSettings = settings_;
    printSettings.COLOR = int(ColourMode::Colour);
    printSettings.JPGQuality = 80;
    CImageSaver saver(0);
    saver.SetSettings(printSettings);
    const QString merged =
        saver.MergeImages(tiles_[static_cast<std::size_t>(FirstTile())]->GetPath(),
                          tiles_[static_cast<std::size_t>(1 - FirstTile())]->GetPath(),
                          kPrintBaseName, orientation_, kPrintGap);
    CImagePrinter printer(printSettings.Language);
    printer.Settings = printSettings;
    if (printSetup_) {
        printer.SetPrintSetup(printSetup_);
    }
    if (messageSink_) {
        printer.SetMessageSink(messageSink_);
    }
    // An empty name fails in the printer like any unreadable image.
    printer.Print(merged);
    if (!merged.isEmpty()) {
        QFile::remove(merged);
    }
}

void CShowImageDlg::OnBnClickedCancel() {
    emit MergedImagePath(QString());
    Finish(QDialog::Rejected);
}

void CShowImageDlg::reject() { OnBnClickedCancel(); }

void CShowImageDlg::Finish(int result) {
    closing_ = true;
    tileMenu_->close();
    done(result);
}

void CShowImageDlg::Tell(const QString& text) {
    if (messageSink_) {
        messageSink_(text);
    } else {
        QMessageBox::warning(this, QString(), text);
    }
}

void CShowImageDlg::OnTileClicked(int tile, int kind) {
    if (kind != 2 || Tile(tile) == nullptr) {
        return;
    }
    menuTile_ = tile;
    tileMenu_->popup(mapToGlobal(mouse_));
}

void CShowImageDlg::OnMenuOpen() {
    if (const CImageTile* tile = Tile(menuTile_)) {
        OpenFile(tile->GetPath());
    }
    menuTile_ = -1;
}

void CShowImageDlg::OnMenuRemove() {
    if (Tile(menuTile_) != nullptr) {
        CImageTile& tile = *tiles_[static_cast<std::size_t>(menuTile_)];
        tile.Clear();
        tile.Redraw();
    }
    menuTile_ = -1;
}

bool CShowImageDlg::event(QEvent* event) {
    if (const auto click = TileClickOf(event)) {
        OnTileClicked(click->tile, click->kind);
        return true;
    }
    return QDialog::event(event);
}

void CShowImageDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LayoutTiles();
}

void CShowImageDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    PaintTiles(painter, tiles_);
}

void CShowImageDlg::mouseMoveEvent(QMouseEvent* event) {
    mouse_ = event->position().toPoint();
    QDialog::mouseMoveEvent(event);
}

void CShowImageDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        mouse_ = event->position().toPoint();
        for (const auto& tile : tiles_) {
            tile->OnRButtonDown(0, mouse_.x(), mouse_.y());
        }
    }
    QDialog::mousePressEvent(event);
}

}  // namespace orbisk

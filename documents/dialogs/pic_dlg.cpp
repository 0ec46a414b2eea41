#include "documents/dialogs/pic_dlg.h"

#include "core/command_ids.h"
#include "core/link_opener.h"
#include "documents/pdf_document.h"
#include "documents/tiff_writer.h"
#include "platform/window_messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orbisk {

using namespace ids::shot_list_dlg;

namespace {

constexpr char kTitle[] = "定时拍摄";
constexpr char kSaveAs[] = "存为:%1";
constexpr char kCount[] = "当前已经拍摄 %1 张";
constexpr char kColumn[] = "文件名";
constexpr char kCombine[] = "合并图像";
constexpr char kCancel[] = "取消";
constexpr char kOpen[] = "浏览文件";
constexpr char kRemove[] = "删除文件";
constexpr char kNotWritten[] = "文件无法保存：%1";

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CPicDlg::CPicDlg(QWidget* parent)
    : QDialog(parent),
      opener_(OpenFile),
      sink_([this](const QString& text) { QMessageBox::warning(this, QString(), text); }) {
    setWindowTitle(Utf8(kTitle));
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("%1").arg(IDC_SHOT_COUNT));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("%1").arg(IDC_SHOT_LIST));
    list_->setRootIsDecorated(false);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = list_->itemAt(at)) {
            OnRightClick(list_->indexOfTopLevelItem(item), list_->viewport()->mapToGlobal(at));
        }
    });
    auto* combine = new QPushButton(Utf8(kCombine), this);
    auto* cancel = new QPushButton(Utf8(kCancel), this);
    combine->setDefault(true);
    connect(combine, &QPushButton::clicked, this, &CPicDlg::OnCombine);
    connect(cancel, &QPushButton::clicked, this, &CPicDlg::OnCancel);

    menu_ = new QMenu(this);
    menu_->addAction(Utf8(kOpen), this, &CPicDlg::OnOpenShot);
    menu_->addAction(Utf8(kRemove), this, &CPicDlg::OnRemoveShot);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(combine);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(list_);
    layout->addLayout(buttons);
}

void CPicDlg::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
}

void CPicDlg::OnInitDialog() {
    initialised_ = true;
    ShowCount();
    list_->setHeaderLabels({Utf8(kColumn)});
    if (!m_thumbnailSize.isEmpty()) list_->setIconSize(m_thumbnailSize);
    setWindowTitle(Utf8(kSaveAs).arg(m_strTargetPath));
    list_->clear();
    for (const QString& path : shots_) AddRow(path);
}

void CPicDlg::AddShot(const QString& path, int pageType) {
    shots_.append(path);
    types_.push_back(pageType);
    if (initialised_) {
        AddRow(path);
        ShowCount();
    }
}

void CPicDlg::AddRow(const QString& path) {
    auto* item = new QTreeWidgetItem(list_, {path});
    if (!m_thumbnailSize.isEmpty()) {
        QImageReader reader(path);
        const QSize size = reader.size();
        if (size.isValid()) reader.setScaledSize(size.scaled(m_thumbnailSize, Qt::KeepAspectRatio));
        const QImage picture = reader.read();
        if (!picture.isNull()) item->setIcon(0, QIcon(QPixmap::fromImage(picture)));
    }
}

void CPicDlg::ShowCount() { count_->setText(Utf8(kCount).arg(ShotCount())); }

void CPicDlg::OnRightClick(int row, const QPoint& globalPos) {
    if (row < 0 || row >= ShotCount()) return;
    menuRow_ = row;
    menu_->popup(globalPos);
}

void CPicDlg::OnOpenShot() {
    if (menuRow_ >= 0 && menuRow_ < ShotCount()) opener_(shots_[menuRow_]);
}

void CPicDlg::OnRemoveShot() {
    if (menuRow_ < 0 || menuRow_ >= ShotCount()) return;
    delete list_->takeTopLevelItem(menuRow_);
    shots_.removeAt(menuRow_);
    types_.erase(types_.begin() + menuRow_);
    menuRow_ = -1;
    ShowCount();
    if (list_->topLevelItemCount() > 0) {
        list_->scrollToItem(list_->topLevelItem(list_->topLevelItemCount() - 1));
    }
}

bool CPicDlg::WriteDocument() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool written = false;
    if (m_nOutput == kOutputPdf) {
        CPdfDocument document;
        document.SetTargetName(m_strTargetPath);
        written = document.WriteImages(shots_) == 0;
    } else if (m_nOutput == kOutputTiff && !types_.empty()) {
        CTiffWriter writer;
        written = writer.Open(m_strTargetPath, ShotCount());
        writer.SetResolution(m_nXDpi, m_nYDpi);
        writer.SetJpegQuality(m_nJpegQuality);
        for (int i = 0; written && i < ShotCount(); ++i) {
            written = writer.AddPageFromFile(shots_[i], types_[static_cast<std::size_t>(i)]);
        }
        written = writer.Close() && written;
    }
    QApplication::restoreOverrideCursor();
    return written;
}

void CPicDlg::OnCombine() {
    // A document that was not written is no reason to close: the shots
    // would look combined.
    if (!WriteDocument()) {
        sink_(Utf8(kNotWritten).arg(m_strTargetPath));
        return;
    }
    platform::PostWindowMessage(parentWidget(), platform::WM_PAGE_DLG_CLOSED, 0, 0);
    done(QDialog::Accepted);
}

void CPicDlg::OnCancel() {
    platform::PostWindowMessage(parentWidget(), platform::WM_PAGE_DLG_CLOSED, 0, 0);
    done(QDialog::Rejected);
}

}  // namespace orbisk

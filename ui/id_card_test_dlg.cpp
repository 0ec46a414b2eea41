#include "ui/id_card_test_dlg.h"

#include "core/command_ids.h"
#include "core/temp_folder.h"
#include "ui/id_card_reader.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orbisk {
namespace {

// The photo static is 72 x 85 dialog units of the 9-point dialog font.
constexpr int kPhotoWidth = 108;
constexpr int kPhotoHeight = 138;

}  // namespace

CIDCardTestDlg::CIDCardTestDlg(QWidget* parent)
    : QDialog(parent), libraryPath_(DefaultIdCardLibraryPath()) {
    using namespace ids::id_card_dlg;
    setWindowTitle(QStringLiteral("二代证读卡测试"));
    setFixedSize(470, 200);
    photo_ = new QLabel(this);
    photo_->setObjectName(QString::number(IDC_PHOTO));
    photo_->setGeometry(10, 10, kPhotoWidth, kPhotoHeight);
    photo_->setAlignment(Qt::AlignCenter);
    photo_->setFrameStyle(QFrame::Box | QFrame::Plain);
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QString::number(IDC_CARD_TEXT));
    edit_->setReadOnly(true);
    edit_->setGeometry(128, 10, 332, 138);
    readButton_ = new QPushButton(QStringLiteral("读卡"), this);
    readButton_->setObjectName(QString::number(IDC_READ_CARD));
    readButton_->setGeometry(290, 162, 80, 26);
    readButton_->setDefault(true);
    auto* quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QString::number(ids::ID_CANCEL));
    quit->setGeometry(380, 162, 80, 26);
    connect(readButton_, &QPushButton::clicked, this, &CIDCardTestDlg::OnReadCard);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    QString folder = TempFolder();
    if (folder.isEmpty()) {
        ownFolder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orbisk-card-XXXXXX");
        folder = ownFolder_->isValid() ? ownFolder_->path() + '/' : QString();
    }
    if (!folder.isEmpty()) {
        photoPath_ = folder + QStringLiteral("zp.bmp");
    }
    sink_ = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
        box.exec();
    };
}

CIDCardTestDlg::~CIDCardTestDlg() = default;

void CIDCardTestDlg::OnReadCard() {
    if (photoPath_.isEmpty()) {
        return;  // no private folder for the photo: the library is not asked
    }
    const IdCardReadResult result = ReadIdCard(libraryPath_, photoPath_);
    switch (result.status) {
        case IdCardReadResult::Status::kNoLibrary:
            return;
        case IdCardReadResult::Status::kFailed:
            sink_(QStringLiteral("提示"), QStringLiteral("读取身份证信息失败"));
            m_strCardText.clear();
            photo_->clear();
            break;
        case IdCardReadResult::Status::kRead: {
            m_strCardText = FormatIdCardText(result.record);
            // The label keeps its own copy; the file may go with the next read.
            const QImage picture(photoPath_);
            if (picture.isNull()) {
                photo_->clear();
            } else {
                photo_->setPixmap(QPixmap::fromImage(picture));
            }
            break;
        }
    }
    UpdateControls();
}

void CIDCardTestDlg::UpdateControls() {
    // The edit shows lines; the card text keeps the library's line ends.
    QString shown = m_strCardText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit_->setPlainText(shown);
}

}  // namespace orbisk

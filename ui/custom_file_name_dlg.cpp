#include "ui/custom_file_name_dlg.h"

#include "core/command_ids.h"
#include "core/sys_settings.h"
#include "platform/language_text.h"
#include "ui/file_name_rules.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace orbisk {
namespace {

constexpr platform::LanguageText kForbidden = {
    "文件名中不能包含下列任何字符:\n/ \\ : * ? < > |",
    "檔案名中不能包含下列任何字元:\n/ \\ : * ? < > |",
    "File name contains unsupported characters, such as \n/ \\ : * ? < > |"};
constexpr platform::LanguageText kEmpty = {"文件名不能为空！", "檔案名不能為空!",
                                           "File name is empty."};
constexpr platform::LanguageText kTooLong = {"文件名太长！", "檔案名太長！",
                                             "File name is too long."};

}  // namespace

CCustomFileNameDlg::CCustomFileNameDlg(QWidget* parent, bool watermark, int language)
    : QDialog(parent), m_bWatermark(watermark), m_nLanguage(language) {
    using namespace ids::file_name_dlg;
    setFixedSize(300, 90);
    label_ = new QLabel(QStringLiteral("文件名:"), this);
    label_->setObjectName(QString::number(IDC_NAME_LABEL));
    label_->setGeometry(10, 14, 60, 22);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QString::number(IDC_NAME));
    edit_->setGeometry(72, 14, 218, 22);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QString::number(ids::ID_OK));
    ok->setGeometry(130, 54, 75, 24);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QString::number(ids::ID_CANCEL));
    cancel->setGeometry(215, 54, 75, 24);
    connect(ok, &QPushButton::clicked, this, &CCustomFileNameDlg::OnConfirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    sink_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, this);
        box.exec();
    };
    LoadTexts(0);
    OnInitDialog();
}

void CCustomFileNameDlg::LoadTexts(int language) {
    forbiddenText_ = kForbidden.In(language);
    emptyText_ = kEmpty.In(language);
    tooLongText_ = kTooLong.In(language);
}

void CCustomFileNameDlg::OnInitDialog() {
    if (m_nLanguage == int(UiLanguage::TraditionalChinese) ||
        m_nLanguage == int(UiLanguage::English)) {
        LoadTexts(m_nLanguage);
    }
    label_->setText(m_bWatermark ? QStringLiteral("水印名:") : QStringLiteral("文件名:"));
    edit_->setFocus();
}

void CCustomFileNameDlg::OnConfirm() {
    const QString name = edit_->text();
    switch (CheckFileName(name)) {
        case FileNameFault::ForbiddenCharacter:
            sink_(forbiddenText_);
            edit_->clear();
            return;
        case FileNameFault::TooLong:
            // The operator shortens what was typed.
            sink_(tooLongText_);
            return;
        case FileNameFault::Empty:
            sink_(emptyText_);
            return;
        case FileNameFault::None:
            m_strName = name;
            accept();
            return;
    }
}

FileNameProvider AskFileName(QWidget* parent) {
    return [parent](int language) -> std::optional<QString> {
        CCustomFileNameDlg dlg(parent, false, language);
        if (dlg.exec() != QDialog::Accepted) return std::nullopt;
        return dlg.GetName();
    };
}

}  // namespace orbisk

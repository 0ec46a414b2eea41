#include "ui/dialog_file_name.h"

#include "core/command_ids.h"
#include "platform/language_text.h"
#include "ui/file_name_rules.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace orbisk {
namespace {

constexpr platform::LanguageText kBadPrefix = {"文件名前缀格式不正确！", "檔案名首碼格式不正確！",
                                               "Illegal file name prefix"};

}  // namespace

CDialogFileName::CDialogFileName(QWidget* parent, int language, PrefixListStore store)
    : QDialog(parent), m_nLanguage(language), store_(std::move(store)) {
    setWindowTitle(QStringLiteral("编辑"));
    setFixedSize(320, 170);
    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QString::number(ids::prefix_dlg::IDC_PREFIXES));
    edit_->setGeometry(10, 10, 300, 90);
    auto* hint = new QLabel(QStringLiteral("    文件名前缀之间用 '|' 字符分割。"), this);
    hint->setGeometry(10, 104, 300, 22);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QString::number(ids::ID_OK));
    ok->setGeometry(150, 136, 75, 24);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QString::number(ids::ID_CANCEL));
    cancel->setGeometry(235, 136, 75, 24);
    connect(ok, &QPushButton::clicked, this, &CDialogFileName::OnConfirm);
    connect(cancel, &QPushButton::clicked, this, &CDialogFileName::OnCancelClicked);
    sink_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, this);
        box.exec();
    };
    OnInitDialog();
}

void CDialogFileName::OnInitDialog() {
    m_strPrefixes = store_.load ? store_.load() : QString();
    edit_->setPlainText(m_strPrefixes);
}

bool CDialogFileName::SplitPrefixes(const QString& text) { return SplitPrefixList(text, m_items); }

void CDialogFileName::OnConfirm() {
    const QString text = edit_->toPlainText();
    if (SplitPrefixes(text) && std::ranges::all_of(m_items, IsAcceptablePrefix)) {
        m_strPrefixes = text;
        m_items.append(QString::fromLatin1(kPrefixEditorItem));
        if (store_.store) store_.store(text);
        accept();
        return;
    }
    sink_(kBadPrefix.In(m_nLanguage));
}

}  // namespace orbisk

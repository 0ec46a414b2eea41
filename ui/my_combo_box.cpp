#include "ui/my_combo_box.h"

#include "platform/window_messages.h"
#include "ui/file_name_rules.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace orbisk {

int CMyComboBox::s_nLastGood = 0;

CMyComboBox::CMyComboBox(QWidget* parent) : QComboBox(parent) {
    // A wheel passing over the box must not take the focus, and with it the
    // prefix.
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::activated, this, [this](int) { OnSelEndOk(); });
}

void CMyComboBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void CMyComboBox::SetItems(const QStringList& items) {
    const QSignalBlocker blocker(this);
    clear();
    addItems(items);
    m_items = items;
}

void CMyComboBox::Select(int index) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

void CMyComboBox::Fill(const QString& prefixList, const QString& prefix) {
    QStringList items = LoadablePrefixes(prefixList);
    // Only a real prefix can be the one in use, never the editor item.
    const int found = FindPrefixIndex(items, prefix);
    items.append(QString::fromLatin1(kPrefixEditorItem));
    SetItems(items);
    Select(found);
    m_strCurrent = prefix;
    s_nLastGood = found;
}

int CMyComboBox::OnSelEndOk() {
    const int sel = currentIndex();
    if (sel >= 0 && sel == count() - 1) {
        Select(s_nLastGood);
        const std::optional<QStringList> edited = editor_ ? editor_() : std::nullopt;
        if (edited) {
            SetItems(*edited);
            // The old index may be past the new list, or no prefix was selected.
            if (s_nLastGood < 0 || s_nLastGood > count() - 2) s_nLastGood = 0;
            Select(s_nLastGood);
        }
    } else {
        s_nLastGood = sel;
    }
    // With nothing selected the prefix in use stays.
    if (currentIndex() >= 0 && currentText() != m_strCurrent) {
        m_strCurrent = currentText();
        QObject* target = target_ ? target_.data() : window();
        platform::WindowMessageEvent message(platform::WM_PREFIX_CHANGED, 0, 0);
        QCoreApplication::sendEvent(target, &message);
    }
    return 0;
}

}  // namespace orbisk

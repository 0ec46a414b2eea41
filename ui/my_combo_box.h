#pragma once

#include <QComboBox>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace orbisk {

// The prefix combo box: the prefixes of the list followed by the editor item
// "...". Choosing another prefix sends the prefix message to the target
// window; choosing "..." runs the prefix editor and refills the list after OK.
class CMyComboBox : public QComboBox {
    Q_OBJECT

  public:
    explicit CMyComboBox(QWidget* parent = nullptr);

    // Runs the prefix editor: the new items (ending with "...") after OK, no
    // value on cancel.
    using Editor = std::function<std::optional<QStringList>()>;
    void SetEditor(Editor editor) { editor_ = std::move(editor); }
    // The window told of a prefix change; by default this box's window.
    void SetMessageTarget(QObject* target) { target_ = target; }

    // Fills the box with the prefixes a stored list offers (LoadablePrefixes)
    // and selects `prefix` (no selection when the list lacks it). `prefix` is
    // the prefix in use either way.
    void Fill(const QString& prefixList, const QString& prefix);

    // The prefix last reported to the window.
    QString CurrentPrefix() const { return m_strCurrent; }

    // An item was chosen (the selection is already the chosen item).
    int OnSelEndOk();

    QStringList m_items;
    QString m_strCurrent;
    // The last real prefix chosen, over every box of the process.
    static int s_nLastGood;

  protected:
    // A wheel step changes the prefix, and so resets the running index: it
    // counts only while the box has the focus (its open list scrolls itself).
    void wheelEvent(QWheelEvent* event) override;

  private:
    void SetItems(const QStringList& items);
    void Select(int index);

    Editor editor_;
    QPointer<QObject> target_;
};

}  // namespace orbisk

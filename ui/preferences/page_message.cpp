#include "ui/preferences/page_message.h"

#include <QMessageBox>
#include <QWidget>

namespace orbisk {

void ShowPageMessage(QWidget* page, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok,
                    page ? page->window() : nullptr);
    box.exec();
}

}  // namespace orbisk

// The main window's construction, start-up and exit.

#include "app/main_dlg/orbisk_dlg.h"

#include <QApplication>

namespace orbisk {

COrbiskDlg::COrbiskDlg(QWidget* parent) : QDialog(parent) { qApp->installEventFilter(this); }

COrbiskDlg::~COrbiskDlg() = default;

void COrbiskDlg::OnExit() { accept(); }

}  // namespace orbisk

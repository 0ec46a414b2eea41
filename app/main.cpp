// The capture program: the main window, run modally until the operator
// closes it. A start-up that stopped at a failure skips the modal loop and
// still runs the exit sequence.
#include "app/main_dlg/orbisk_dlg.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbisk"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ORBISK_APP_ID));

    orbisk::COrbiskDlg dlg;
    dlg.OnInitDialog();
    if (!dlg.QuitRequested()) {
        dlg.show();
        dlg.exec();
    }
    dlg.DestroyWindow();
    return 0;
}

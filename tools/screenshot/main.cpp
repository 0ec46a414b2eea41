// Starts the main window as the program does, lets the live picture run and
// writes a picture of the window to a PNG file: the README's screenshots.
//   orbisk-screenshot <output.png> [milliseconds]
#include "app/main_dlg/orbisk_dlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbisk"));
    if (argc < 2) {
        QTextStream(stderr) << "usage: orbisk-screenshot <output.png> [milliseconds]\n";
        return 2;
    }
    const int wait = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1500;

    orbisk::COrbiskDlg dlg;
    dlg.OnInitDialog();
    int result = 1;
    if (!dlg.QuitRequested()) {
        dlg.show();
        QEventLoop loop;
        QTimer::singleShot(wait, &loop, &QEventLoop::quit);
        loop.exec();
        result = dlg.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }
    dlg.DestroyWindow();
    return result;
}

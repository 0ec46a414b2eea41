// Starts the main window as the program does, lets the live picture run and
// writes a picture of the window to a PNG file: the README's screenshots.
//   orbisk-screenshot <output.png> [milliseconds]
//   orbisk-screenshot --preferences <prefix> [milliseconds]
// The second form pictures the preferences over the started window, one
// file a page: <prefix>-image.png, <prefix>-watermark.png,
// <prefix>-advanced.png.
#include "app/main_dlg/orbisk_dlg.h"
#include "ui/preferences/system_info_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

namespace {

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool PicturePreferences(const orbisk::COrbiskDlg& window, const QString& prefix) {
    orbisk::CSystemInfoDialog prefs(nullptr);
    prefs.SetSettings(window.GetSettings());
    prefs.show();
    const char* const pages[] = {"image", "watermark", "advanced"};
    bool saved = true;
    for (int i = 0; i < 3; ++i) {
        prefs.Tabs()->setCurrentIndex(i);
        Wait(300);
        saved = prefs.grab().save(QStringLiteral("%1-%2.png").arg(prefix, pages[i])) && saved;
    }
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbisk"));
    const bool preferences = argc > 1 && QString::fromLocal8Bit(argv[1]) == "--preferences";
    const int first = preferences ? 2 : 1;
    if (argc <= first) {
        QTextStream(stderr) << "usage: orbisk-screenshot <output.png> [milliseconds]\n"
                               "       orbisk-screenshot --preferences <prefix> [milliseconds]\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[first]);
    const int wait = argc > first + 1 ? QString::fromLocal8Bit(argv[first + 1]).toInt() : 1500;

    orbisk::COrbiskDlg dlg;
    dlg.OnInitDialog();
    int result = 1;
    if (!dlg.QuitRequested()) {
        dlg.show();
        Wait(wait);
        const bool saved = preferences ? PicturePreferences(dlg, output) : dlg.grab().save(output);
        result = saved ? 0 : 1;
    }
    dlg.DestroyWindow();
    return result;
}

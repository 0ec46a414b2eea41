#include "app/orbisk_app.h"

namespace orbisk {

COrbiskApp::COrbiskApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("orbisk"));
    // The desktop shows the icon of the program's desktop entry for its window.
    setDesktopFileName(QStringLiteral(ORBISK_APP_ID));
}

int COrbiskApp::InitInstance() { return RunMainWindow(StartupEnvironment::Program()); }

int RunMainWindow(StartupEnvironment environment) {
    COrbiskDlg dlg(nullptr, std::move(environment));
    dlg.OnInitDialog();
    if (!dlg.QuitRequested()) {
        dlg.show();
        dlg.exec();
    }
    dlg.DestroyWindow();
    return 0;
}

}  // namespace orbisk

#pragma once

#include "app/main_dlg/orbisk_dlg.h"

#include <QApplication>

namespace orbisk {

// The application object, one for the process. Its start builds the main
// window, runs it until it closes and takes it down again; then the process
// ends.
class COrbiskApp : public QApplication {
  public:
    COrbiskApp(int& argc, char** argv);

    // The program's run on its own files and cameras; the process's exit code.
    int InitInstance();
};

// The main window's whole life on `environment`: its start-up, its modal loop
// (skipped after a start-up that stopped at a failure) and its exit sequence,
// which runs either way. The process's exit code.
int RunMainWindow(StartupEnvironment environment);

}  // namespace orbisk

#pragma once

#include "app/main_dlg/accelerators.h"
#include "app/main_dlg/command_dispatch.h"

#include <QDialog>

namespace orbisk {

// The main window. Its members are spread over one file per concern in this
// folder; a handler stays a few lines over the widget-free helpers beside it.
class COrbiskDlg : public QDialog {
  public:
    explicit COrbiskDlg(QWidget* parent = nullptr);
    ~COrbiskDlg() override;

    // Runs the handler of a control, command or accelerator id; false when
    // the window has none for it.
    bool OnCommand(int id);

  protected:
    // The accelerator keys reach their commands before the focused control
    // sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Start-up and exit (startup_exit.cpp).
    void OnExit();

    // Every handler of the window by id (command_tables.cpp).
    static const CommandEntry<COrbiskDlg> kCommands[];
};

}  // namespace orbisk

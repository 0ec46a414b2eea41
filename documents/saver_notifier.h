#pragma once

#include <QString>

namespace orbisk {

// The icon of an operator message of the save pipeline.
enum class SaverIcon { None, Stop, Information };

// How the save pipeline talks to the operator. The main window shows message
// boxes with an empty caption; tests record the calls. documents/ itself shows
// no dialogs.
class ISaverNotifier {
  public:
    virtual ~ISaverNotifier() = default;

    // One message box: `text` in the operator's language.
    virtual void ShowMessage(const QString& text, SaverIcon icon) = 0;

    // The file `path` of the capture could not be written; the page is not in
    // the list of written files.
    virtual void ReportWriteFailure(const QString& path) = 0;
};

}  // namespace orbisk

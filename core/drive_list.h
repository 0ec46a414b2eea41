#pragma once

#include <QStringList>

namespace orbisk {

// The mounted volumes (in place of the drive letters of Windows), by root path.
class CDriveList {
  public:
    // Fills the list afresh and returns its count.
    int Refresh();
    const QStringList& Drives() const { return drives_; }

  private:
    QStringList drives_;
};

}  // namespace orbisk

#include "core/drive_list.h"

#include <QStorageInfo>

namespace orbisk {

int CDriveList::Refresh() {
    drives_.clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            drives_.append(volume.rootPath());
        }
    }
    drives_.sort();
    return int(drives_.size());
}

}  // namespace orbisk

#pragma once

#include <QByteArray>
#include <QString>

// Writing a file so that its final name never shows a half-written file: the
// writer fills a temporary file in the target's folder, and Commit renames it
// over the target in one step. Without a Commit the temporary file is removed
// and an existing target stays as it was.
//
// What a careful writer keeps:
//  - a new file gets mode 0666 less the umask; a replaced file keeps its mode
//    (and, where allowed, its owner);
//  - a target that is a symbolic link stays one: the file it points to is
//    replaced, from a temporary file in that file's folder;
//  - a target that the user may not write, or that is no regular file, is
//    refused (IsValid is false) rather than replaced;
//  - temporary files of ours that a crashed writer left in the folder
//    (".orbisk-" and six letters or digits, not modified for kStaleAfterSeconds)
//    are removed when the next target is made there.
namespace orbisk::platform {

class AtomicFileTarget {
  public:
    // A temporary file untouched this long belongs to no live writer.
    static constexpr int kStaleAfterSeconds = 15 * 60;

    explicit AtomicFileTarget(const QString& finalPath);
    ~AtomicFileTarget();
    AtomicFileTarget(const AtomicFileTarget&) = delete;
    AtomicFileTarget& operator=(const AtomicFileTarget&) = delete;

    // False when the target is refused or no temporary file could be made.
    bool IsValid() const { return !tempPath_.isEmpty(); }
    const QString& TempPath() const { return tempPath_; }
    // The temporary path in the file system's encoding, for C libraries.
    QByteArray TempPathEncoded() const;
    const QString& FinalPath() const { return finalPath_; }

    // Renames the temporary file over the target; true on success.
    bool Commit();

  private:
    QString finalPath_;
    QString replacedPath_;  // finalPath_ with its symbolic links followed
    QString tempPath_;
    bool committed_ = false;
    bool keepsOldFile_ = false;  // the mode and owner below go to the new file
    unsigned oldMode_ = 0;
    unsigned oldOwner_ = 0;
    unsigned oldGroup_ = 0;
};

// Replaces `path` with `bytes` through an AtomicFileTarget. Every byte is
// checked as written (a short write on a full disk is a failure) and flushed
// to the disk before the rename. On failure the old file is intact.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace orbisk::platform

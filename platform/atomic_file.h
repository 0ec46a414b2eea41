#pragma once

#include <QByteArray>
#include <QString>

// Writing a file so that its final name never shows a half-written file: the
// writer fills a temporary file in the target's folder, and Commit renames it
// over the target in one step. Without a Commit the temporary file is removed
// and an existing target stays as it was.
namespace orbisk::platform {

class AtomicFileTarget {
  public:
    explicit AtomicFileTarget(const QString& finalPath);
    ~AtomicFileTarget();
    AtomicFileTarget(const AtomicFileTarget&) = delete;
    AtomicFileTarget& operator=(const AtomicFileTarget&) = delete;

    // False when no temporary file could be made in the target's folder.
    bool IsValid() const { return !tempPath_.isEmpty(); }
    const QString& TempPath() const { return tempPath_; }
    // The temporary path in the file system's encoding, for C libraries.
    QByteArray TempPathEncoded() const;
    const QString& FinalPath() const { return finalPath_; }

    // Renames the temporary file over the target; true on success.
    bool Commit();

  private:
    QString finalPath_;
    QString tempPath_;
    bool committed_ = false;
};

// Replaces `path` with `bytes` through an AtomicFileTarget. Every byte is
// checked as written (a short write on a full disk is a failure) and flushed
// to the disk before the rename. On failure the old file is intact.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace orbisk::platform

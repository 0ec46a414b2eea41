#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orbisk::test {

// A fresh folder removed at the end of the test.
class TempDir {
  public:
    TempDir() : dir_(QDir::tempPath() + "/orbisk-test-XXXXXX") {}
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
};

// Writes `bytes` to `path`; false on failure.
bool WriteBytes(const QString& path, const QByteArray& bytes);
// The file's bytes, empty when it cannot be read.
QByteArray ReadBytes(const QString& path);

}  // namespace orbisk::test

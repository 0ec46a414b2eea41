#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

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

// A path as the C libraries take it (UTF-8 on Linux).
inline std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace orbisk::test

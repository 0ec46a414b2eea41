#pragma once

#include "platform/ini_document.h"

#include <QString>

namespace orbisk {

// One INI file ("Sys.ini"), read and written a key at a time, or whole through
// ReadDocument/WriteDocument when many keys change together.
class CIniFile {
  public:
    // Stores `path` and answers true when a file exists there; otherwise the
    // stored path stays as it was and the answer is false.
    bool SetPath(const QString& path);
    const QString& Path() const { return path_; }

    // The value, whole; empty when the file, section or key is missing.
    QString ReadString(const QString& section, const QString& key) const;

    // Writes one key and replaces the file atomically; 1 on success, 0 on
    // failure. With `create` false a key that does not exist yet is left out
    // and the answer is 1.
    int WriteString(const QString& section, const QString& key, const QString& value,
                    bool create) const;

    // The file as it is now (empty when it cannot be read), and its atomic
    // replacement by `doc` (false, with the old file intact, on failure).
    platform::IniDocument ReadDocument() const;
    bool WriteDocument(const platform::IniDocument& doc) const;

  private:
    QString path_;
};

}  // namespace orbisk

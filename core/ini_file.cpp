#include "core/ini_file.h"

#include <QFileInfo>

namespace orbisk {

bool CIniFile::SetPath(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    path_ = path;
    return true;
}

QString CIniFile::ReadString(const QString& section, const QString& key) const {
    return ReadDocument().Value(section, key).value_or(QString());
}

int CIniFile::WriteString(const QString& section, const QString& key, const QString& value,
                          bool create) const {
    if (path_.isEmpty()) {
        return 0;
    }
    platform::IniDocument doc = ReadDocument();
    if (!create && !doc.Value(section, key).has_value()) {
        return 1;
    }
    doc.SetValue(section, key, value);
    return WriteDocument(doc) ? 1 : 0;
}

platform::IniDocument CIniFile::ReadDocument() const {
    platform::IniDocument doc;
    if (!path_.isEmpty()) {
        doc.Load(path_);
    }
    return doc;
}

bool CIniFile::WriteDocument(const platform::IniDocument& doc) const {
    return !path_.isEmpty() && doc.Save(path_);
}

}  // namespace orbisk

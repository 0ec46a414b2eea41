#include "platform/ini_document.h"

#include "platform/atomic_file.h"

#include <QFile>

namespace orbisk::platform {
namespace {

QString Unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

IniDocument::Line IniDocument::Parse(const QString& text) {
    Line line;
    line.text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith('[')) {
        const qsizetype close = trimmed.indexOf(']');
        if (close > 0) {
            line.isSection = true;
            line.section = trimmed.mid(1, close - 1).trimmed();
        }
        return line;
    }
    if (trimmed.startsWith(';')) {
        return line;
    }
    const qsizetype equals = trimmed.indexOf('=');
    if (equals > 0) {
        line.isKey = true;
        line.key = trimmed.left(equals).trimmed();
        line.value = Unquote(trimmed.mid(equals + 1).trimmed());
    }
    return line;
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    IniDocument doc;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
    }
    QString text = QString::fromUtf8(data);
    QStringList rows = text.split('\n');
    if (!rows.isEmpty() && rows.back().isEmpty()) {
        rows.removeLast();  // the line end of the last line, not an extra line
    }
    for (QString& row : rows) {
        if (row.endsWith('\r')) {
            row.chop(1);
        }
        doc.lines_.append(Parse(row));
    }
    return doc;
}

QByteArray IniDocument::ToBytes() const {
    QByteArray out;
    for (const Line& line : lines_) {
        out += line.text.toUtf8();
        out += '\n';
    }
    return out;
}

bool IniDocument::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *this = IniDocument();
        return false;
    }
    *this = FromBytes(file.readAll());
    return true;
}

bool IniDocument::Save(const QString& path) const { return WriteFileAtomically(path, ToBytes()); }

int IniDocument::FindSection(const QString& section) const {
    for (int i = 0; i < lines_.size(); ++i) {
        if (lines_[i].isSection && SameName(lines_[i].section, section)) {
            return i;
        }
    }
    return -1;
}

int IniDocument::FindKey(int header, const QString& key) const {
    for (int i = header + 1; i < lines_.size() && !lines_[i].isSection; ++i) {
        if (lines_[i].isKey && SameName(lines_[i].key, key)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
    const int header = FindSection(section);
    if (header < 0) {
        return std::nullopt;
    }
    const int at = FindKey(header, key);
    if (at < 0) {
        return std::nullopt;
    }
    return lines_[at].value;
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    // A line end inside a value would split it into two lines of the file.
    QString flat = value;
    flat.replace('\r', ' ').replace('\n', ' ');
    const Line keyLine = Parse(key + '=' + flat);
    int header = FindSection(section);
    if (header < 0) {
        lines_.append(Parse('[' + section + ']'));
        lines_.append(keyLine);
        return;
    }
    if (const int at = FindKey(header, key); at >= 0) {
        lines_[at] = keyLine;
        return;
    }
    // After the section's last non-blank line, so that a blank line that
    // separates it from the next section stays below the new key.
    int insertAt = header + 1;
    for (int i = header + 1; i < lines_.size() && !lines_[i].isSection; ++i) {
        if (!lines_[i].text.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    lines_.insert(insertAt, keyLine);
}

}  // namespace orbisk::platform

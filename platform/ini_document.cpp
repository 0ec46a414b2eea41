#include "platform/ini_document.h"

#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "platform/text_decoding.h"

namespace orbisk::platform {
namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// [start, end) of `text` without the blanks at both ends, as QString::trimmed
// counts them (full-width blanks included).
void Trim(const QString& text, qsizetype& start, qsizetype& end) {
    while (start < end && text[start].isSpace()) {
        ++start;
    }
    while (end > start && text[end - 1].isSpace()) {
        --end;
    }
}

bool SameName(QStringView a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

IniDocument::Line IniDocument::Parse(QString text) {
    Line line;
    line.text = std::move(text);
    const QString& t = line.text;
    qsizetype start = 0;
    qsizetype end = t.size();
    Trim(t, start, end);
    if (start == end) {
        return line;
    }
    line.isBlank = false;
    if (t[start] == '[') {
        const qsizetype close = t.indexOf(']', start);
        if (close > start) {
            qsizetype nameStart = start + 1;
            qsizetype nameEnd = close;
            Trim(t, nameStart, nameEnd);
            line.isSection = true;
            line.nameStart = nameStart;
            line.nameSize = nameEnd - nameStart;
        }
        return line;
    }
    if (t[start] == ';') {
        return line;
    }
    const qsizetype equals = t.indexOf('=', start);
    if (equals > start) {
        qsizetype nameEnd = equals;
        Trim(t, start, nameEnd);
        qsizetype valueStart = equals + 1;
        Trim(t, valueStart, end);
        // One pair of matching surrounding quotes is not part of the value.
        if (end - valueStart >= 2 && (t[valueStart] == '"' || t[valueStart] == '\'') &&
            t[end - 1] == t[valueStart]) {
            ++valueStart;
            --end;
        }
        line.isKey = true;
        line.nameStart = start;
        line.nameSize = nameEnd - start;
        line.valueStart = valueStart;
        line.valueSize = end - valueStart;
    }
    return line;
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    QByteArrayView data(bytes);
    while (data.startsWith(kBom)) {
        data = data.sliced(kBom.size());
    }
    const QString text = DecodeUtf8OrGb18030(data);
    IniDocument doc;
    // A line ends at LF, CRLF or a lone CR; the end of the last line is not
    // the start of an extra one.
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != '\n' && c != '\r') {
            continue;
        }
        doc.lines_.push_back(Parse(text.mid(start, i - start)));
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        doc.lines_.push_back(Parse(text.mid(start)));
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
    // A pipe or a device in the file's place would keep the reader waiting.
    const std::optional<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes) {
        *this = IniDocument();
        return false;
    }
    *this = FromBytes(*bytes);
    return true;
}

bool IniDocument::Save(const QString& path) const { return WriteFileAtomically(path, ToBytes()); }

int IniDocument::FindSection(const QString& section) const {
    for (int i = 0; i < int(lines_.size()); ++i) {
        if (lines_[i].isSection && SameName(lines_[i].Name(), section)) {
            return i;
        }
    }
    return -1;
}

int IniDocument::FindKey(int header, const QString& key) const {
    for (int i = header + 1; i < int(lines_.size()) && !lines_[i].isSection; ++i) {
        if (lines_[i].isKey && SameName(lines_[i].Name(), key)) {
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
    return lines_[at].Value().toString();
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    // A line end inside a value would split it into two lines of the file.
    QString flat = value;
    flat.replace('\r', ' ').replace('\n', ' ');
    Line keyLine = Parse(key + '=' + flat);
    if (keyLine.Value() != flat) {
        // The reader would trim or unquote it: one more pair of quotes keeps it.
        keyLine = Parse(key + "=\"" + flat + '"');
    }
    int header = FindSection(section);
    if (header < 0) {
        lines_.push_back(Parse('[' + section + ']'));
        lines_.push_back(std::move(keyLine));
        return;
    }
    if (const int at = FindKey(header, key); at >= 0) {
        lines_[at] = std::move(keyLine);
        return;
    }
    // After the section's last non-blank line, so that a blank line that
    // separates it from the next section stays below the new key.
    std::size_t insertAt = std::size_t(header) + 1;
    for (std::size_t i = insertAt; i < lines_.size() && !lines_[i].isSection; ++i) {
        if (!lines_[i].isBlank) {
            insertAt = i + 1;
        }
    }
    lines_.insert(lines_.begin() + std::ptrdiff_t(insertAt), std::move(keyLine));
}

}  // namespace orbisk::platform

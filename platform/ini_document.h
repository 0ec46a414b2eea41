#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// An INI file held in memory with the rules of the Windows private-profile
// functions, which the settings code was written against:
//  - section and key names match without regard to case; the first match wins;
//  - blanks around names and values are trimmed, and one pair of matching
//    surrounding quotes is stripped from a value;
//  - comments, blank lines and lines it does not understand stay where they are;
//  - a new key is appended to its section, a new section to the end of the file.
// Text is written as UTF-8 without BOM and with LF line ends. Reading takes
// UTF-8, or GB18030 when the bytes are not valid UTF-8 (files written by the
// Windows program in the Chinese ANSI code page), any number of leading BOMs,
// and LF, CRLF or CR line ends. A value the reader would change (outer blanks,
// surrounding quotes) is written inside one more pair of double quotes, so
// that every value reads back as it was set. QSettings is unsuitable: it
// escapes values and reorders keys.
namespace orbisk::platform {

class IniDocument {
  public:
    IniDocument() = default;

    static IniDocument FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    // Reads `path` whole; a missing or unreadable file gives an empty document
    // and false.
    bool Load(const QString& path);
    // Replaces `path` atomically (see platform/atomic_file.h): on failure the
    // old file is left as it was and false comes back.
    bool Save(const QString& path) const;

    // The value of `key` in `section`, or nothing when either is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Sets the value; the key line is rewritten with `key` spelt as given.
    // Line ends inside the value become blanks.
    void SetValue(const QString& section, const QString& key, const QString& value);

  private:
    // One line of the file. Names and the value are kept as places in `text`
    // rather than copies: a large file is held once.
    struct Line {
        QString text;             // the line as it stands in the file, without line end
        qsizetype nameStart = 0;  // section name, or key name
        qsizetype nameSize = 0;
        qsizetype valueStart = 0;  // for a key line: its value, trimmed and unquoted
        qsizetype valueSize = 0;
        bool isBlank = true;
        bool isSection = false;
        bool isKey = false;

        QStringView Name() const { return QStringView(text).mid(nameStart, nameSize); }
        QStringView Value() const { return QStringView(text).mid(valueStart, valueSize); }
    };

    static Line Parse(QString text);
    // Index of the header of the first section called `section`, or -1.
    int FindSection(const QString& section) const;
    // Index of the first line of `key` in the section whose header is at
    // `header`, or -1.
    int FindKey(int header, const QString& key) const;

    std::vector<Line> lines_;
};

}  // namespace orbisk::platform

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// An INI file held in memory with the rules of the Windows private-profile
// functions, which the settings code was written against:
//  - section and key names match without regard to case; the first match wins;
//  - blanks around names and values are trimmed, and one pair of matching
//    surrounding quotes is stripped from a value;
//  - comments, blank lines and lines it does not understand stay where they are;
//  - a new key is appended to its section, a new section to the end of the file.
// Text is UTF-8 without BOM and with LF line ends on writing; reading also takes
// a BOM and CRLF. QSettings is unsuitable: it escapes values and reorders keys.
namespace orbisk::platform {

class IniDocument {
  public:
    IniDocument() = default;

    static IniDocument FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    // Reads `path` whole; a missing or unreadable file gives an empty document
    // and false.
    bool Load(const QString& path);
    // Replaces `path` atomically (temporary file in the same folder, then
    // rename): on failure the old file is left as it was and false comes back.
    bool Save(const QString& path) const;

    // The value of `key` in `section`, or nothing when either is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Sets the value; the key line is rewritten with `key` spelt as given.
    void SetValue(const QString& section, const QString& key, const QString& value);

  private:
    struct Line {
        QString text;     // the line as it stands in the file, without line end
        QString section;  // for a section header: its trimmed name
        QString key;      // for a key line: its trimmed name
        QString value;    // for a key line: its value, trimmed and unquoted
        bool isSection = false;
        bool isKey = false;
    };

    static Line Parse(const QString& text);
    // Index of the header of the first section called `section`, or -1.
    int FindSection(const QString& section) const;
    // Index of the first line of `key` in the section whose header is at
    // `header`, or -1.
    int FindKey(int header, const QString& key) const;

    QList<Line> lines_;
};

}  // namespace orbisk::platform

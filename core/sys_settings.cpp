#include "core/sys_settings.h"

#include "core/settings_number.h"
#include "platform/regular_file.h"

#include <QDate>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <variant>

namespace orbisk {
namespace {

using SettingsMember = std::variant<int SysSettings::*, bool SysSettings::*, QString SysSettings::*,
                                    IntRect SysSettings::*>;

// How a key is read and written; "number" reads like the C run-time's
// wide-string-to-int conversion, "empty" is a missing key or an empty value.
enum class KeyKind {
    Text,          // as read, empty -> `text` (when given); written as is
    Number,        // number, empty -> `number`; written "%d"
    Code,          // number, outside 0..`number` -> 0; written "%d"
    UpperFlag,     // exactly "TRUE" -> 1, else 0; written "TRUE" when not 0, else "FALSE"
    UpperFlagOne,  // read as UpperFlag; written "TRUE" only when exactly 1
    LowerFlag,     // empty -> `number`, exactly "true" -> 1, else 0; written "true"/"false"
    Rect,          // "left,top,right,bottom"; empty -> unchanged; written "%d,%d,%d,%d"
    Irregular,     // through `read` and `write`
};

// A key's written text; no value: the key is not written.
using KeyText = std::optional<QString>;

struct SettingsKey {
    const char* section;
    const char* key;  // as written; reading matches it without regard to case
    SettingsMember member;
    KeyKind kind;
    int number = 0;              // the default, or the highest code
    const char* text = nullptr;  // the default text
    void (*read)(SysSettings& s, const QString& value) = nullptr;
    KeyText (*write)(SysSettings& s) = nullptr;
};

// The int and bool fields as ints.
int IntOf(const SysSettings& s, const SettingsMember& member) {
    if (const auto* field = std::get_if<int SysSettings::*>(&member)) {
        return s.*(*field);
    }
    if (const auto* field = std::get_if<bool SysSettings::*>(&member)) {
        return s.*(*field) ? 1 : 0;
    }
    return 0;
}

void SetInt(SysSettings& s, const SettingsMember& member, int value) {
    if (const auto* field = std::get_if<int SysSettings::*>(&member)) {
        s.*(*field) = value;
    } else if (const auto* field = std::get_if<bool SysSettings::*>(&member)) {
        s.*(*field) = value != 0;
    }
}

// "left,top,right,bottom" cut at the first three commas; fewer commas keep
// the current value, as an empty key does.
void ReadRect(const QString& text, IntRect& rect) {
    if (text.isEmpty()) {
        return;
    }
    const QStringList parts = text.split(',');
    if (parts.size() < 4) {
        return;
    }
    // Everything after the third comma belongs to the bottom value.
    const QString bottom = QStringList(parts.mid(3)).join(',');
    rect = IntRect{ParseSettingsNumber(parts[0]), ParseSettingsNumber(parts[1]),
                   ParseSettingsNumber(parts[2]), ParseSettingsNumber(bottom)};
}

QString RectText(const IntRect& r) {
    return QStringLiteral("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

QString UpperText(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

// A stored folder written for Windows ("D:\Scans") means nothing here.
bool IsWindowsPath(const QString& path) {
    return path.contains('\\') || (path.size() >= 2 && path[1] == ':' && path[0].isLetter());
}

// The irregular keys: a reader and a writer each.

void ReadFolder(SysSettings& s, const QString& value) {
    s.FOLDPATH = value.isEmpty() || IsWindowsPath(value) ? DefaultImageFolder() : value;
}
KeyText WriteFolder(SysSettings& s) { return s.FOLDPATH; }

void ReadNamingRule(SysSettings& s, const QString& value) {
    const NamingRule rule = value.isEmpty() || value == QLatin1String("1") ? NamingRule::DateAndTime
                            : value == QLatin1String("0") ? NamingRule::PrefixAndNumber
                                                          : NamingRule::Asked;
    s.TypeofImageName = int(rule);
}
KeyText WriteNamingRule(SysSettings& s) {
    int rule = s.TypeofImageName;
    if (rule != int(NamingRule::PrefixAndNumber) && rule != int(NamingRule::DateAndTime)) {
        rule = int(NamingRule::Asked);
    }
    return QString::number(rule);
}

void ReadRotation(SysSettings& s, const QString& value) {
    const int degrees = ParseSettingsNumber(value);
    s.ROTATION = degrees == 90 || degrees == 180 || degrees == 270 ? degrees : 0;
}
KeyText WriteRotation(SysSettings& s) {
    s.ROTATION %= 360;  // the field itself is normalised
    return QString::number(s.ROTATION);
}

void ReadColour(SysSettings& s, const QString& value) {
    const int mode = ParseSettingsNumber(value);
    s.COLOR = mode >= 0 && mode <= int(ColourMode::BlackAndWhite) ? mode : int(ColourMode::Colour);
}
KeyText WriteColour(SysSettings& s) {
    if (s.COLOR < 0 || s.COLOR > int(ColourMode::BlackAndWhite)) {
        return std::nullopt;  // an unknown mode leaves the stored one
    }
    return QString::number(s.COLOR);
}

void ReadKeepSources(SysSettings& s, const QString& value) {
    s.SRC = value == QLatin1String("FALSE") ? 0 : 1;
}
KeyText WriteKeepSources(SysSettings& s) { return UpperText(s.SRC != 0); }

void ReadLanguage(SysSettings& s, const QString& value) {
    const UiLanguage language = value == QLatin1String("CNT")  ? UiLanguage::TraditionalChinese
                                : value == QLatin1String("EN") ? UiLanguage::English
                                                               : UiLanguage::SimplifiedChinese;
    s.Language = int(language);  // empty, "CN" and anything else: simplified Chinese
}
KeyText WriteLanguage(SysSettings& s) {
    switch (s.Language) {
        case int(UiLanguage::TraditionalChinese):
            return QStringLiteral("CNT");
        case int(UiLanguage::English):
            return QStringLiteral("EN");
        default:
            return QStringLiteral("CN");
    }
}

void ReadDateFolder(SysSettings& s, const QString& value) {
    s.DATEFOLDER = value.toUpper() == QLatin1String("0") ? 0 : 1;
}
KeyText WriteDateFolder(SysSettings& s) { return QString::number(s.DATEFOLDER); }

void ReadCaption(SysSettings& s, const QString& value) { s.Caption = value; }
KeyText WriteNothing(SysSettings&) { return std::nullopt; }

// Every stored key, in the order Save writes them: a new file's sections and
// keys come out in this order. Load reads them all; each read stands alone.
const SettingsKey kSettingsKeys[] = {
    {"FILE", "FOLDPATH", &SysSettings::FOLDPATH, KeyKind::Irregular, 0, nullptr, ReadFolder,
     WriteFolder},
    {"IMAGE", "XDPI", &SysSettings::XDPI, KeyKind::Number, -1},
    {"IMAGE", "YDPI", &SysSettings::YDPI, KeyKind::Number, -1},
    {"IMAGE", "JPGQuality", &SysSettings::JPGQuality, KeyKind::Number, 70},
    {"SOUND", "Play", &SysSettings::Play, KeyKind::LowerFlag, 1},
    {"FILE", "TypeofImageName", &SysSettings::TypeofImageName, KeyKind::Irregular, 0, nullptr,
     ReadNamingRule, WriteNamingRule},
    {"IMAGE", "INDEX", &SysSettings::INDEX, KeyKind::Number, 0},
    {"FILE", "PREFIX", &SysSettings::PREFIX, KeyKind::Text, 0, "IMG"},
    {"FILE", "PRECHOOSE", &SysSettings::PRECHOOSE, KeyKind::Text, 0,
     "IMG|TXT|JPG"},  // the default list
    {"Camera", "Exposure", &SysSettings::Exposure, KeyKind::Number, -3},
    {"Camera", "AutoExposure", &SysSettings::AutoExposure, KeyKind::LowerFlag, 1},
    {"IMAGE", "NoiseSize", &SysSettings::NoiseSize, KeyKind::Number, 5},
    {"IMAGE", "DocCamWidth", &SysSettings::DocCamWidth, KeyKind::Number, -1},
    {"IMAGE", "DocCamHeight", &SysSettings::DocCamHeight, KeyKind::Number, -1},
    {"IMAGE", "PorCamWidth", &SysSettings::PorCamWidth, KeyKind::Number, -1},
    {"IMAGE", "PorCamHeight", &SysSettings::PorCamHeight, KeyKind::Number, -1},
    {"IMAGE", "CutLeft", &SysSettings::CutLeft, KeyKind::Number, 0},
    {"IMAGE", "CutTop", &SysSettings::CutTop, KeyKind::Number, 0},
    {"IMAGE", "CutRight", &SysSettings::CutRight, KeyKind::Number, 0},
    {"IMAGE", "CutBottom", &SysSettings::CutBottom, KeyKind::Number, 0},
    {"WaterMark", "DateMark", &SysSettings::DateMark, KeyKind::UpperFlag},
    {"WaterMark", "Custom", &SysSettings::Custom, KeyKind::UpperFlag},
    {"WaterMark", "Name", &SysSettings::Name, KeyKind::Text},
    {"WaterMark", "Color", &SysSettings::Color, KeyKind::Number, 255},
    {"WaterMark", "Position", &SysSettings::Position, KeyKind::Number, 4},
    {"WaterMark", "Size", &SysSettings::Size, KeyKind::Number, 256},
    {"WaterMark", "Transparency", &SysSettings::Transparency, KeyKind::Number, 50},
    {"IMAGE", "IMG_FORMAT", &SysSettings::IMG_FORMAT, KeyKind::Code, int(ImageFormat::Gif)},
    {"PRINT", "TYPE", &SysSettings::TYPE, KeyKind::Number, 0},
    {"IMAGE", "PDFORTIF", &SysSettings::PDFORTIF, KeyKind::Code, int(CollectionMode::OnePdf)},
    {"IMAGE", "CUTPAGETYPE", &SysSettings::CUTPAGETYPE, KeyKind::Number, 0},
    {"IMAGE", "SHADOW", &SysSettings::SHADOW, KeyKind::UpperFlag},
    {"IMAGE", "2IMAGEIN1", &SysSettings::TWOIMAGEIN1, KeyKind::UpperFlag},
    // Written twice by the Windows program, the second time "TRUE" only for
    // exactly 1; the second write is the one that stays.
    {"OTHER", "ENGOCR", &SysSettings::ENGOCR, KeyKind::UpperFlagOne},
    {"IMAGE", "ISMUTICUTPAGE", &SysSettings::ISMUTICUTPAGE, KeyKind::UpperFlag},
    {"IMAGE", "DOCCHECK", &SysSettings::DOCCHECK, KeyKind::UpperFlag},
    {"IMAGE", "BARCODETOFILE", &SysSettings::BARCODETOFILE, KeyKind::UpperFlag},
    {"IMAGE", "DEFORMATION", &SysSettings::DEFORMATION, KeyKind::UpperFlag},
    {"OTHER", "ROTATION", &SysSettings::ROTATION, KeyKind::Irregular, 0, nullptr, ReadRotation,
     WriteRotation},
    {"OTHER", "MERGE", &SysSettings::Merge, KeyKind::UpperFlag},
    {"OTHER", "RECOGNIZE", &SysSettings::RECOGNIZE, KeyKind::UpperFlag},
    {"IMAGE", "COLOR", &SysSettings::COLOR, KeyKind::Irregular, 0, nullptr, ReadColour,
     WriteColour},
    {"POSITION", "Document", &SysSettings::Document, KeyKind::Rect},
    {"POSITION", "Portrait", &SysSettings::Portrait, KeyKind::Rect},
    {"OTHER", "SRC", &SysSettings::SRC, KeyKind::Irregular, 0, nullptr, ReadKeepSources,
     WriteKeepSources},
    {"Language", "Current", &SysSettings::Language, KeyKind::Irregular, 0, nullptr, ReadLanguage,
     WriteLanguage},
    {"OTHER", "FASTMODE", &SysSettings::FASTMODE, KeyKind::UpperFlagOne},
    {"IMAGE", "DATEFOLDER", &SysSettings::DATEFOLDER, KeyKind::Irregular, 0, nullptr,
     ReadDateFolder, WriteDateFolder},
    {"IMAGE", "CHANNELS", &SysSettings::CHANNELS, KeyKind::LowerFlag, 0},
    {"VantorelQt", "Caption", &SysSettings::Caption, KeyKind::Irregular, 0, nullptr, ReadCaption,
     WriteNothing},
};

void ReadKey(const SettingsKey& k, const QString& value, SysSettings& s) {
    switch (k.kind) {
        case KeyKind::Text: {
            QString& field = s.*std::get<QString SysSettings::*>(k.member);
            field = value.isEmpty() && k.text != nullptr ? QString::fromLatin1(k.text) : value;
            break;
        }
        case KeyKind::Number:
            SetInt(s, k.member, value.isEmpty() ? k.number : ParseSettingsNumber(value));
            break;
        case KeyKind::Code: {
            const int code = ParseSettingsNumber(value);
            SetInt(s, k.member, code >= 0 && code <= k.number ? code : 0);
            break;
        }
        case KeyKind::UpperFlag:
        case KeyKind::UpperFlagOne:
            SetInt(s, k.member, value == QLatin1String("TRUE") ? 1 : 0);
            break;
        case KeyKind::LowerFlag:
            SetInt(s, k.member,
                   value.isEmpty()                  ? k.number
                   : value == QLatin1String("true") ? 1
                                                    : 0);
            break;
        case KeyKind::Rect:
            ReadRect(value, s.*std::get<IntRect SysSettings::*>(k.member));
            break;
        case KeyKind::Irregular:
            k.read(s, value);
            break;
    }
}

KeyText WriteKey(const SettingsKey& k, SysSettings& s) {
    switch (k.kind) {
        case KeyKind::Text:
            return s.*std::get<QString SysSettings::*>(k.member);
        case KeyKind::Number:
        case KeyKind::Code:
            return QString::number(IntOf(s, k.member));
        case KeyKind::UpperFlag:
            return UpperText(IntOf(s, k.member) != 0);
        case KeyKind::UpperFlagOne:
            return UpperText(IntOf(s, k.member) == 1);
        case KeyKind::LowerFlag:
            return IntOf(s, k.member) != 0 ? QStringLiteral("true") : QStringLiteral("false");
        case KeyKind::Rect:
            return RectText(s.*std::get<IntRect SysSettings::*>(k.member));
        case KeyKind::Irregular:
            return k.write(s);
    }
    return std::nullopt;
}

// Writes every key into `doc`, which holds the file as it is, so that keys
// and comments of others stay; then replaces the file with it.
bool SaveInto(SysSettings& s, platform::IniDocument doc) {
    if (s.IniFile.Path().isEmpty()) {
        return false;
    }
    for (const SettingsKey& k : kSettingsKeys) {
        if (const KeyText text = WriteKey(k, s)) {
            doc.SetValue(QLatin1String(k.section), QLatin1String(k.key), *text);
        }
    }
    return s.IniFile.WriteDocument(doc);
}

}  // namespace

bool SysSettings::EnsureFile(const QString& path) {
    if (IniFile.SetPath(path)) {
        return true;
    }
    // Made empty when missing. A pipe or a device in its place is refused
    // at once: opened for writing, a pipe would wait for a reader.
    const int fd = platform::OpenRegularFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (fd >= 0) ::close(fd);
    return IniFile.SetPath(path);
}

bool SysSettings::Load() {
    platform::IniDocument doc = IniFile.ReadDocument();
    for (const SettingsKey& k : kSettingsKeys) {
        const QString value =
            doc.Value(QLatin1String(k.section), QLatin1String(k.key)).value_or(QString());
        ReadKey(k, value, *this);
    }
    // The write-back starts from the same reading: a large file is read once.
    return SaveInto(*this, std::move(doc));
}

bool SysSettings::Save() { return SaveInto(*this, IniFile.ReadDocument()); }

QString ComputeSaveFolder(const SysSettings& settings, const QDate& today) {
    if (settings.DATEFOLDER == 0) {
        return settings.FOLDPATH;
    }
    return settings.FOLDPATH + '/' + today.toString(QStringLiteral("yyyyMMdd"));
}

}  // namespace orbisk

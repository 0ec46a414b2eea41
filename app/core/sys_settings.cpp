#include "app/core/sys_settings.h"

#include "app/core/settings_number.h"

#include <QDate>
#include <QFile>
#include <QStringList>

namespace orbisk {
namespace {

const QString kDefaultPrefixList = QStringLiteral("IMG|TXT|JPG");

// Reads one key at a time from a document loaded once.
class KeyReader {
  public:
    explicit KeyReader(const platform::IniDocument& doc) : doc_(doc) {}

    QString Text(const char* section, const char* key) const {
        return doc_.Value(QLatin1String(section), QLatin1String(key)).value_or(QString());
    }
    // A number, or `fallback` when the read gave an empty text.
    int Number(const char* section, const char* key, int fallback) const {
        const QString text = Text(section, key);
        return text.isEmpty() ? fallback : ParseSettingsNumber(text);
    }
    // Exactly `truth` (case-sensitive) is 1; anything else, empty included, is 0.
    int Flag(const char* section, const char* key, const char* truth) const {
        return Text(section, key) == QLatin1String(truth) ? 1 : 0;
    }

  private:
    const platform::IniDocument& doc_;
};

// Collects the writes of one save in a document that replaces the file whole.
class KeyWriter {
  public:
    explicit KeyWriter(platform::IniDocument& doc) : doc_(doc) {}

    void Text(const char* section, const char* key, const QString& value) {
        doc_.SetValue(QLatin1String(section), QLatin1String(key), value);
    }
    void Number(const char* section, const char* key, int value) {
        Text(section, key, QString::number(value));
    }
    void Upper(const char* section, const char* key, bool value) {
        Text(section, key, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    }
    void Lower(const char* section, const char* key, bool value) {
        Text(section, key, value ? QStringLiteral("true") : QStringLiteral("false"));
    }

  private:
    platform::IniDocument& doc_;
};

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

// A stored folder written for Windows ("D:\Scans") means nothing here.
bool IsWindowsPath(const QString& path) {
    return path.contains('\\') || (path.size() >= 2 && path[1] == ':' && path[0].isLetter());
}

int ReadLanguage(const QString& text) {
    if (text == QLatin1String("CNT")) return 1;
    if (text == QLatin1String("EN")) return 2;
    return 0;  // empty, "CN" and anything else
}

QString LanguageText(int language) {
    switch (language) {
        case 1:
            return QStringLiteral("CNT");
        case 2:
            return QStringLiteral("EN");
        default:
            return QStringLiteral("CN");
    }
}

}  // namespace

bool SysSettings::EnsureFile(const QString& path) {
    if (IniFile.SetPath(path)) {
        return true;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.close();
    }
    return IniFile.SetPath(path);
}

bool SysSettings::Load() {
    const platform::IniDocument doc = IniFile.ReadDocument();
    const KeyReader in(doc);

    FOLDPATH = in.Text("FILE", "FOLDPATH");
    if (FOLDPATH.isEmpty() || IsWindowsPath(FOLDPATH)) {
        FOLDPATH = DefaultImageFolder();
    }
    PREFIX = in.Text("FILE", "PREFIX");
    if (PREFIX.isEmpty()) PREFIX = QStringLiteral("IMG");
    PRECHOOSE = in.Text("FILE", "PRECHOOSE");
    if (PRECHOOSE.isEmpty()) PRECHOOSE = kDefaultPrefixList;
    INDEX = in.Number("IMAGE", "INDEX", 0);
    {
        const QString rule = in.Text("FILE", "TypeofImageName");
        TypeofImageName = rule.isEmpty() || rule == QLatin1String("1") ? 1
                          : rule == QLatin1String("0")                 ? 0
                                                                       : 2;
    }
    XDPI = in.Number("IMAGE", "XDPI", -1);
    YDPI = in.Number("IMAGE", "YDPI", -1);
    JPGQuality = in.Number("IMAGE", "JPGQuality", 70);
    {
        const QString play = in.Text("SOUND", "Play");
        Play = play.isEmpty() || play == QLatin1String("true") ? 1 : 0;
        const QString autoExposure = in.Text("Camera", "AutoExposure");
        AutoExposure = autoExposure.isEmpty() || autoExposure == QLatin1String("true");
    }
    Exposure = in.Number("Camera", "Exposure", -3);
    NoiseSize = in.Number("IMAGE", "NoiseSize", 5);
    DocCamWidth = in.Number("IMAGE", "DocCamWidth", -1);
    DocCamHeight = in.Number("IMAGE", "DocCamHeight", -1);
    PorCamWidth = in.Number("IMAGE", "PorCamWidth", -1);
    PorCamHeight = in.Number("IMAGE", "PorCamHeight", -1);
    TYPE = in.Number("PRINT", "TYPE", 0);
    CutLeft = in.Number("IMAGE", "CutLeft", 0);
    CutTop = in.Number("IMAGE", "CutTop", 0);
    CutRight = in.Number("IMAGE", "CutRight", 0);
    CutBottom = in.Number("IMAGE", "CutBottom", 0);
    CUTPAGETYPE = in.Number("IMAGE", "CUTPAGETYPE", 0);
    ISMUTICUTPAGE = in.Flag("IMAGE", "ISMUTICUTPAGE", "TRUE") != 0;
    DateMark = in.Flag("WaterMark", "DateMark", "TRUE");
    Custom = in.Flag("WaterMark", "Custom", "TRUE");
    Name = in.Text("WaterMark", "Name");
    Color = in.Number("WaterMark", "Color", 255);
    Position = in.Number("WaterMark", "Position", 4);
    Size = in.Number("WaterMark", "Size", 256);
    Transparency = in.Number("WaterMark", "Transparency", 50);
    IMG_FORMAT = in.Number("IMAGE", "IMG_FORMAT", 0);
    if (IMG_FORMAT < 0 || IMG_FORMAT > 5) IMG_FORMAT = 0;
    PDFORTIF = in.Number("IMAGE", "PDFORTIF", 0);
    if (PDFORTIF < 0 || PDFORTIF > 2) PDFORTIF = 0;
    SHADOW = in.Flag("IMAGE", "SHADOW", "TRUE");
    TWOIMAGEIN1 = in.Flag("IMAGE", "2IMAGEIN1", "TRUE");
    ENGOCR = in.Flag("OTHER", "ENGOCR", "TRUE");
    DOCCHECK = in.Flag("IMAGE", "DOCCHECK", "TRUE");
    DEFORMATION = in.Flag("IMAGE", "DEFORMATION", "TRUE");
    BARCODETOFILE = in.Flag("IMAGE", "BARCODETOFILE", "TRUE");
    ROTATION = in.Number("OTHER", "ROTATION", 0);
    if (ROTATION != 0 && ROTATION != 90 && ROTATION != 180 && ROTATION != 270) ROTATION = 0;
    Merge = in.Flag("OTHER", "Merge", "TRUE");
    RECOGNIZE = in.Flag("OTHER", "RECOGNIZE", "TRUE");
    COLOR = in.Number("IMAGE", "COLOR", 0);
    if (COLOR < 0 || COLOR > 2) COLOR = 0;
    ReadRect(in.Text("POSITION", "Document"), Document);
    ReadRect(in.Text("POSITION", "Portrait"), Portrait);
    SRC = in.Text("OTHER", "SRC") == QLatin1String("FALSE") ? 0 : 1;
    Language = ReadLanguage(in.Text("Language", "Current"));
    DATEFOLDER = in.Text("IMAGE", "DATEFOLDER").toUpper() == QLatin1String("0") ? 0 : 1;
    CHANNELS = in.Flag("IMAGE", "CHANNELS", "true") != 0;
    FASTMODE = in.Flag("OTHER", "FASTMODE", "TRUE");
    Caption = in.Text("VantorelQt", "Caption");

    return Save();
}

bool SysSettings::Save() {
    if (IniFile.Path().isEmpty()) {
        return false;
    }
    // Start from the file as it is, so that keys and comments of others stay.
    platform::IniDocument doc = IniFile.ReadDocument();
    KeyWriter out(doc);

    out.Text("FILE", "FOLDPATH", FOLDPATH);
    out.Number("IMAGE", "XDPI", XDPI);
    out.Number("IMAGE", "YDPI", YDPI);
    out.Number("IMAGE", "JPGQuality", JPGQuality);
    out.Lower("SOUND", "Play", Play != 0);
    out.Number("FILE", "TypeofImageName", TypeofImageName == 0 ? 0 : TypeofImageName == 1 ? 1 : 2);
    out.Number("IMAGE", "INDEX", INDEX);
    out.Text("FILE", "PREFIX", PREFIX);
    out.Text("FILE", "PRECHOOSE", PRECHOOSE);
    out.Number("Camera", "Exposure", Exposure);
    out.Lower("Camera", "AutoExposure", AutoExposure);
    out.Number("IMAGE", "NoiseSize", NoiseSize);
    out.Number("IMAGE", "DocCamWidth", DocCamWidth);
    out.Number("IMAGE", "DocCamHeight", DocCamHeight);
    out.Number("IMAGE", "PorCamWidth", PorCamWidth);
    out.Number("IMAGE", "PorCamHeight", PorCamHeight);
    out.Number("IMAGE", "CutLeft", CutLeft);
    out.Number("IMAGE", "CutTop", CutTop);
    out.Number("IMAGE", "CutRight", CutRight);
    out.Number("IMAGE", "CutBottom", CutBottom);
    out.Upper("WaterMark", "DateMark", DateMark != 0);
    out.Upper("WaterMark", "Custom", Custom != 0);
    out.Text("WaterMark", "Name", Name);
    out.Number("WaterMark", "Color", Color);
    out.Number("WaterMark", "Position", Position);
    out.Number("WaterMark", "Size", Size);
    out.Number("WaterMark", "Transparency", Transparency);
    out.Number("IMAGE", "IMG_FORMAT", IMG_FORMAT);
    out.Number("PRINT", "TYPE", TYPE);
    out.Number("IMAGE", "PDFORTIF", PDFORTIF);
    out.Number("IMAGE", "CUTPAGETYPE", CUTPAGETYPE);
    out.Upper("IMAGE", "SHADOW", SHADOW != 0);
    out.Upper("IMAGE", "2IMAGEIN1", TWOIMAGEIN1 != 0);
    out.Upper("OTHER", "ENGOCR", ENGOCR != 0);
    out.Upper("IMAGE", "ISMUTICUTPAGE", ISMUTICUTPAGE);
    out.Upper("IMAGE", "DOCCHECK", DOCCHECK != 0);
    out.Upper("IMAGE", "BARCODETOFILE", BARCODETOFILE != 0);
    out.Upper("IMAGE", "DEFORMATION", DEFORMATION != 0);
    ROTATION %= 360;
    out.Number("OTHER", "ROTATION", ROTATION);
    out.Upper("OTHER", "MERGE", Merge != 0);
    out.Upper("OTHER", "RECOGNIZE", RECOGNIZE != 0);
    if (COLOR >= 0 && COLOR <= 2) {
        out.Number("IMAGE", "COLOR", COLOR);
    }
    out.Text("POSITION", "Document", RectText(Document));
    out.Text("POSITION", "Portrait", RectText(Portrait));
    out.Upper("OTHER", "SRC", SRC != 0);
    out.Text("Language", "Current", LanguageText(Language));
    out.Upper("OTHER", "ENGOCR", ENGOCR == 1);
    out.Upper("OTHER", "FASTMODE", FASTMODE == 1);
    out.Number("IMAGE", "DATEFOLDER", DATEFOLDER);
    out.Lower("IMAGE", "CHANNELS", CHANNELS);

    return IniFile.WriteDocument(doc);
}

QString ComputeSaveFolder(const SysSettings& settings, const QDate& today) {
    if (settings.DATEFOLDER == 0) {
        return settings.FOLDPATH;
    }
    return settings.FOLDPATH + '/' + today.toString(QStringLiteral("yyyyMMdd"));
}

}  // namespace orbisk

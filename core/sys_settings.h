#pragma once

#include "core/ini_file.h"
#include "core/int_rect.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace orbisk {

// The local date and time. Naming reads it once per call; tests fix it.
using LocalClock = std::function<QDateTime()>;

// Asks the operator for a file name (naming rule 2), in the given language;
// no value when the operator cancels.
using FileNameProvider = std::function<std::optional<QString>(int language)>;

// The coded values of the settings, by field. The fields stay ints with
// Sys.ini's numbers: compare with int(ColourMode::Grey) and the like.
// COLOR
enum class ColourMode : int { Colour = 0, Grey = 1, BlackAndWhite = 2 };
// CUTPAGETYPE
enum class CropMode : int { None = 0, Automatic = 1, CustomRectangle = 2 };
// IMG_FORMAT; Default is JPEG, or TIFF in black and white
enum class ImageFormat : int { Default = 0, Bmp = 1, Jpg = 2, Png = 3, Tif = 4, Gif = 5 };
// PDFORTIF
enum class CollectionMode : int { None = 0, MultiPageTif = 1, OnePdf = 2 };
// TypeofImageName
enum class NamingRule : int { PrefixAndNumber = 0, DateAndTime = 1, Asked = 2 };
// Language, stored as [Language] Current = "CN", "CNT" or "EN"
enum class UiLanguage : int { SimplifiedChinese = 0, TraditionalChinese = 1, English = 2 };

// Every user setting, one field per key of "Sys.ini" (named after the key),
// plus a few fields that describe the current run and are never stored.
// A plain record: dialogs and workers get copies and hand edited copies back.
struct SysSettings {
    QString DocCamVid;  // not stored: set at start-up from the branding file
    QString DocCamPid;
    QString PorCamVid;
    QString PorCamPid;
    int DocCamWidth = 0;  // negative: chosen by camera model at start-up
    int DocCamHeight = 0;
    int PorCamWidth = 0;  // negative: 640 x 480
    int PorCamHeight = 0;
    int CurrentCamera = 0;  // not stored: 0 document, 1 portrait
    int CameraModel = 0;    // not stored: 0..6, -1 for an unlisted camera
    int Exposure = -3;
    bool AutoExposure = true;
    int ROTATION = 0;  // degrees: 0, 90, 180, 270
    int COLOR = 0;     // ColourMode: 0 colour, 1 grey, 2 black and white
    QString PREFIX = QStringLiteral("IMG");
    QString PRECHOOSE;  // prefixes offered, separated by "|"
    int INDEX = 0;
    int TypeofImageName = 1;  // NamingRule: 0 prefix and number, 1 date and time, 2 asked
    int CUTPAGETYPE = 0;      // CropMode: 0 none, 1 automatic, 2 custom rectangle
    IntRect Document{0, 0, 100, 100};
    IntRect Portrait{0, 0, 100, 100};
    IntRect CaptureCropRect;  // not stored: crop of the current capture
    int Merge = 0;
    int RECOGNIZE = 0;      // barcode naming
    int PDFORTIF = 0;       // CollectionMode: 0 none, 1 multi-page TIF, 2 one PDF
    QString SaveFolder;     // not stored: FOLDPATH, or FOLDPATH/yyyymmdd
    bool CHANNELS = false;  // use the camera's snapshot button
    int Language = 0;       // UiLanguage; [Language] Current: 0 CN, 1 CNT, 2 EN
    int SettingsTab = 0;    // not stored
    int XDPI = 96;
    int YDPI = 96;
    int JPGQuality = 80;
    int CutLeft = 0;
    int CutTop = 0;
    int CutRight = 0;
    int CutBottom = 0;
    int IMG_FORMAT = 0;  // ImageFormat: 0 default, 1 BMP, 2 JPG, 3 PNG, 4 TIF, 5 GIF
    int DateMark = 0;
    int Custom = 0;
    QString Name;      // custom watermark text
    int Position = 0;  // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 centre
    int Size = 0;
    int Transparency = 0;  // percent
    int Color = 0;         // 0x00BBGGRR
    int DATEFOLDER = 1;
    QString FOLDPATH;
    int TYPE = 0;  // print mode: 0 image resolution, 1 fit to page
    int SHADOW = 0;
    int DEFORMATION = 0;
    bool ISMUTICUTPAGE = false;
    int BARCODETOFILE = 0;
    int FASTMODE = 0;
    int FastModeAvailable = 0;  // not stored
    int DOCCHECK = 0;
    int Play = 1;
    int SRC = 1;
    int NoiseSize = 1;
    int TWOIMAGEIN1 = 1;  // key "2IMAGEIN1"
    int ENGOCR = 0;
    QString Caption;  // [VantorelQt] Caption, read only
    CIniFile IniFile;

    // Binds the record to the file at `path`, creating an empty file when
    // there is none; false when the file can be neither found nor created,
    // or what is there is no regular file (a pipe, a device).
    bool EnsureFile(const QString& path);

    // Reads every key, applies the read rules, and writes the normalised file
    // back at once (from the one reading of the file). True when the
    // write-back succeeded.
    bool Load();

    // Writes every key. The whole file is built in memory and replaces the
    // old one atomically: on failure the old file is intact and false comes back.
    bool Save();

    // The full path of the next capture without extension: by TypeofImageName
    // 0 SaveFolder/PREFIX + five-digit INDEX, 1 SaveFolder/yyyymmddhhmmss,
    // 2 SaveFolder/the name `askName` returns. Empty when rule 2 is cancelled
    // (or has no provider) or the rule is unknown. When files of that name
    // already exist, "_2", "_3", ... is appended so that nothing is overwritten.
    // Creates the save folder when it is missing. An empty clock reads the
    // local time.
    QString MakeFileName(const FileNameProvider& askName = {}, const LocalClock& clock = {}) const;

    // SaveFolder/Tmp + yyyymmddhhmmss (suffixed like MakeFileName when taken):
    // the intermediate files of a collection or merge.
    QString MakeTempFileName(const LocalClock& clock = {}) const;

    // The watermark caption: "yyyy/mm/dd-hh:mm:ss" when DateMark is set, Name
    // when Custom is set, both joined by one blank, else empty.
    QString MakeWatermarkText(const LocalClock& clock = {}) const;

    // Creates the missing folders of the folder part of `filePath` (up to its
    // last "/"). True when that folder exists afterwards or the path has no
    // folder part. Never changes the current directory.
    static bool CreateFolderPath(const QString& filePath);
};

// `base` when no file of that base name exists, else the first of base + "_2",
// base + "_3", ... that is free. A base name is taken when `taken` says so;
// the default test looks for any entry named base + "." + something or
// base + "_" + digits + "." + something (the numbered pages of one capture).
using BaseNameTaken = std::function<bool(const QString& base)>;
QString AvoidNameCollision(const QString& base, const BaseNameTaken& taken = {});

// The default storage folder, used when FOLDPATH is empty: "Bramfell" in the
// user's pictures folder, else in the application-data folder, else beside the
// executable; the first that exists or can be created. Empty when none can.
QString DefaultImageFolder();

// The sub-folder per day: FOLDPATH + "/" + yyyymmdd when DATEFOLDER is set.
QString ComputeSaveFolder(const SysSettings& settings, const QDate& today);

}  // namespace orbisk

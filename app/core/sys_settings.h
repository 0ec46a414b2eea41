#pragma once

#include "app/core/ini_file.h"
#include "app/core/int_rect.h"

#include <QDate>
#include <QString>

namespace orbisk {

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
    int COLOR = 0;     // 0 colour, 1 grey, 2 black and white
    QString PREFIX = QStringLiteral("IMG");
    QString PRECHOOSE;  // prefixes offered, separated by "|"
    int INDEX = 0;
    int TypeofImageName = 1;  // 0 prefix and number, 1 date and time, 2 asked
    int CUTPAGETYPE = 0;      // 0 none, 1 automatic, 2 custom rectangle
    IntRect Document{0, 0, 100, 100};
    IntRect Portrait{0, 0, 100, 100};
    IntRect CaptureCropRect;  // not stored: crop of the current capture
    int Merge = 0;
    int RECOGNIZE = 0;  // barcode naming
    int PDFORTIF = 0;   // 0 none, 1 multi-page TIF, 2 one PDF
    QString SaveFolder;  // not stored: FOLDPATH, or FOLDPATH/yyyymmdd
    bool CHANNELS = false;  // use the camera's snapshot button
    int Language = 0;       // [Language] Current: 0 CN, 1 CNT, 2 EN
    int SettingsTab = 0;    // not stored
    int XDPI = 96;
    int YDPI = 96;
    int JPGQuality = 80;
    int CutLeft = 0;
    int CutTop = 0;
    int CutRight = 0;
    int CutBottom = 0;
    int IMG_FORMAT = 0;  // 0 default, 1 BMP, 2 JPG, 3 PNG, 4 TIF, 5 GIF
    int DateMark = 0;
    int Custom = 0;
    QString Name;  // custom watermark text
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
    // there is none; false when the file can be neither found nor created.
    bool EnsureFile(const QString& path);

    // Reads every key, applies the read rules, and writes the normalised file
    // back at once. True when the write-back succeeded.
    bool Load();

    // Writes every key. The whole file is built in memory and replaces the
    // old one atomically: on failure the old file is intact and false comes back.
    bool Save();
};

// The default storage folder, used when FOLDPATH is empty: "Bramfell" in the
// user's pictures folder, else in the application-data folder, else beside the
// executable; the first that exists or can be created. Empty when none can.
QString DefaultImageFolder();

// The sub-folder per day: FOLDPATH + "/" + yyyymmdd when DATEFOLDER is set.
QString ComputeSaveFolder(const SysSettings& settings, const QDate& today);

}  // namespace orbisk

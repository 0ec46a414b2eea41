#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace orbisk {

// The contents of the branding file "data.dat": the logo and the address it
// opens, the splash picture, the camera pairs the program drives, the label
// flag, the window caption and the label text. One process-wide record
// (TheBrandingData), filled once at start-up.
//
// File layout (32-bit little-endian integers):
//   logo H, logo W, H rows of W*3 bytes BGR padded to a multiple of 4, top first;
//   encoded text: link;
//   splash H2; when not 0: W2 and the rows as for the logo;
//   encoded text: device entries separated by ";";
//   optional: 4-byte flag block (flag = byte 0 != byte 1);
//   optional: encoded text, reserved; optional: caption; optional: label text.
// An encoded text is n, then n integers A, then n integers B; byte i is B-A.
class CBrandingData {
  public:
    static constexpr int kMaxPictureSide = 16384;
    static constexpr int kMaxShortText = 255;  // caption and label text

    QString link;
    QImage logo;    // Format_BGR888; null when the file has none
    QImage splash;  // taken by the splash window, after which it is null
    // The pair in use, filled by the start-up: [0] portrait pid, [1] portrait vid,
    // [2] document pid, [3] document vid.
    QStringList CameraIds;
    // 16 hex digits each: document vid, pid, portrait vid, pid.
    QStringList DeviceEntries;
    bool labelFlag = true;
    QString caption;
    QString labelText;

    // -1 when the file cannot be read or one of its required parts (logo, link,
    // splash, device entries) is damaged; 0 otherwise. An optional trailing
    // field that is damaged counts as absent.
    int Load(const QString& path);
    // The same from bytes held in memory.
    int LoadFromBytes(const QByteArray& bytes);

    // Reads one encoded text at `pos` of `bytes` into `out` and moves `pos`
    // past it. False, with `pos` unchanged, when the count is negative or the
    // text runs past the end.
    static bool ReadScrambledField(const QByteArray& bytes, qsizetype& pos, QByteArray& out);

    // The bytes of a text field as text: UTF-8 when they are valid UTF-8,
    // else GB18030 (files written for the Chinese code page).
    static QString DecodeText(const QByteArray& bytes);
};

// The one branding record of the process.
CBrandingData& TheBrandingData();

}  // namespace orbisk

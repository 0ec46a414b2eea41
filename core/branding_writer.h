#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace orbisk {

// What a branding file holds, for writing one (the build's data.dat, the
// data.dat tool, tests). Optional fields that are unset end the file early.
struct BrandingContents {
    QImage logo;
    QString link;
    QImage splash;  // null: no splash picture
    QStringList deviceEntries;
    std::optional<bool> labelFlag;
    std::optional<QString> reserved;
    std::optional<QString> caption;
    std::optional<QString> labelText;
};

// The file bytes. Texts are stored as UTF-8; the scrambling pairs come from a
// fixed seed, so the same contents always give the same bytes.
QByteArray EncodeBrandingFile(const BrandingContents& contents);

// One encoded text (count, then the A and B integers).
QByteArray EncodeScrambledField(const QByteArray& text, quint32 seed = 1);

// The picture rows as the file stores them: BGR, padded to 4 bytes, top first.
QByteArray EncodePictureRows(const QImage& image);

// Reads a file back into contents; false when it does not load.
bool DecodeBrandingFile(const QByteArray& bytes, BrandingContents& out);

}  // namespace orbisk

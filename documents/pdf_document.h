#pragma once

#include <QString>
#include <QStringList>

namespace orbisk {

// One PDF document made of image files through libharu: a page per image, the
// page as large as the image at one point per pixel (pages beyond libharu's
// 14400-point limit get a larger user unit instead, so no pixel is lost).
// JPEG files go in unchanged, 1-bit TIFF files as 1-bit images, anything else
// re-encoded as JPEG. UI thread; each WriteImages makes and frees its own
// libharu document.
class CPdfDocument {
  public:
    // The document to write: `name` with the extension of its file name
    // replaced by ".pdf" (folders keep their dots).
    void SetTargetName(const QString& name);
    const QString& TargetName() const { return targetName_; }

    // Writes one page per path, in order. 0 when the whole document was
    // written; 1 when anything failed (a page that cannot be read or that
    // libharu refuses, an empty list, a target that cannot be written): then
    // no file is written and an existing target stays as it was.
    int WriteImages(const QStringList& paths);

    // The libharu error number and detail of the last failed WriteImages, or
    // 0 when it failed for another reason or did not fail.
    unsigned LastError() const { return lastError_; }
    unsigned LastErrorDetail() const { return lastErrorDetail_; }

  private:
    QString targetName_;
    unsigned lastError_ = 0;
    unsigned lastErrorDetail_ = 0;
};

// Whether the PDF file was written to its end, made durable on disk. Writers
// check every write but not the last flush when they close the file: a
// document cut short there (a full disk) lacks its closing "%%EOF".
bool PdfFileIsComplete(const QString& path);

}  // namespace orbisk

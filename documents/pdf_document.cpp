#include "documents/pdf_document.h"

#include <hpdf.h>
#include <QFile>
#include <QtGlobal>

#include <unistd.h>

#include "documents/pdf_page.h"
#include "documents/target_name.h"
#include "platform/atomic_file.h"

namespace orbisk {
namespace {

// The first error libharu reported for one document. libharu's own default
// would end the program; with a handler that returns, every call reports the
// failure through its result instead.
struct PdfErrorRecord {
    HPDF_STATUS error = HPDF_OK;
    HPDF_STATUS detail = 0;
};

extern "C" void PdfErrorHandler(HPDF_STATUS error, HPDF_STATUS detail, void* userData) {
    auto* record = static_cast<PdfErrorRecord*>(userData);
    if (record->error == HPDF_OK) {
        record->error = error;
        record->detail = detail;
    }
    qWarning("PDF: libharu error %04X, detail %u", static_cast<unsigned>(error),
             static_cast<unsigned>(detail));
}

// Frees the libharu document on every way out.
struct PdfHandle {
    HPDF_Doc pdf;
    ~PdfHandle() { HPDF_Free(pdf); }
};

// How much of the finished document is copied to the file at a time.
constexpr HPDF_UINT32 kWriteChunk = 1 << 20;

// Copies the saved document from libharu's stream into the target through a
// temporary file, every write checked and the data on the disk before the
// rename, so a full disk never leaves a truncated PDF behind.
bool WriteSavedDocument(HPDF_Doc pdf, const QString& targetName) {
    platform::AtomicFileTarget target(targetName);
    if (!target.IsValid()) {
        return false;
    }
    QFile file(target.TempPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const HPDF_UINT32 size = HPDF_GetStreamSize(pdf);
    QByteArray chunk(static_cast<qsizetype>(qMin(size, kWriteChunk)), Qt::Uninitialized);
    HPDF_UINT32 copied = 0;
    while (copied < size) {
        HPDF_UINT32 length = qMin(size - copied, kWriteChunk);
        const HPDF_STATUS read =
            HPDF_ReadFromStream(pdf, reinterpret_cast<HPDF_BYTE*>(chunk.data()), &length);
        if ((read != HPDF_OK && read != HPDF_STREAM_EOF) || length == 0 ||
            file.write(chunk.constData(), length) != static_cast<qint64>(length)) {
            return false;
        }
        copied += length;
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        return false;
    }
    file.close();
    return file.error() == QFileDevice::NoError && target.Commit();
}

}  // namespace

void CPdfDocument::SetTargetName(const QString& name) {
    targetName_ = ReplaceExtension(name, QStringLiteral(".pdf"));
}

int CPdfDocument::WriteImages(const QStringList& paths) {
    lastError_ = 0;
    lastErrorDetail_ = 0;
    if (paths.isEmpty() || targetName_.isEmpty()) {
        return 1;
    }
    PdfErrorRecord record;
    const PdfHandle handle{HPDF_New(PdfErrorHandler, &record)};
    const auto fail = [&] {
        lastError_ = static_cast<unsigned>(record.error);
        lastErrorDetail_ = static_cast<unsigned>(record.detail);
        return 1;
    };
    HPDF_Doc pdf = handle.pdf;
    if (pdf == nullptr) {
        return fail();
    }
    // Compression on for everything: JPEG data stays as it is, and libharu's
    // 1-bit images are only right when compressed.
    if (HPDF_SetPageMode(pdf, HPDF_PAGE_MODE_USE_NONE) != HPDF_OK ||
        HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL) != HPDF_OK) {
        return fail();
    }
    for (const QString& path : paths) {
        HPDF_Image image = LoadPageImage(pdf, path);
        if (image == nullptr || !AddImagePage(pdf, image)) {
            return fail();
        }
    }
    if (HPDF_SaveToStream(pdf) != HPDF_OK || !WriteSavedDocument(pdf, targetName_)) {
        return fail();
    }
    return 0;
}

}  // namespace orbisk

#include "documents/pdf_document.h"

#include <hpdf.h>
#include <QFile>
#include <QtGlobal>

#include <unistd.h>

#include <cstdio>

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
    if (record->error != HPDF_OK) {
        return;  // what follows the first error only repeats it
    }
    record->error = error;
    record->detail = detail;
    // The PDF writers tell libharu's errors on the standard output.
    std::printf("ERROR: error_no=%04X, detail_no=%u\n", static_cast<unsigned>(error),
                static_cast<unsigned>(detail));
    std::fflush(stdout);
}

// Frees the libharu document on every way out.
struct PdfHandle {
    HPDF_Doc pdf;
    ~PdfHandle() { HPDF_Free(pdf); }
};

// Saves into a temporary file beside the target and renames it into place
// only when the document is complete.
bool SaveDocument(HPDF_Doc pdf, const QString& targetName) {
    platform::AtomicFileTarget target(targetName);
    return target.IsValid() &&
           HPDF_SaveToFile(pdf, target.TempPathEncoded().constData()) == HPDF_OK &&
           PdfFileIsComplete(target.TempPath()) && target.Commit();
}

}  // namespace

bool PdfFileIsComplete(const QString& path) {
    static constexpr char kEnd[] = "%%EOF\n";
    constexpr qint64 kEndLength = sizeof(kEnd) - 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kEndLength ||
        !file.seek(file.size() - kEndLength) || file.read(kEndLength) != kEnd) {
        return false;
    }
    return ::fsync(file.handle()) == 0;
}

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
        std::printf("error: cannot create PdfDoc object\n");
        std::fflush(stdout);
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
    if (!SaveDocument(pdf, targetName_)) {
        return fail();
    }
    return 0;
}

}  // namespace orbisk

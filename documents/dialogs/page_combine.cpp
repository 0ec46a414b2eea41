#include "documents/dialogs/page_combine.h"

#include <tiffio.h>
#include <QFile>

#include "documents/image_files.h"
#include "documents/pdf_document.h"
#include "documents/target_name.h"
#include "documents/tiff_writer.h"
#include "platform/atomic_file.h"

namespace orbisk {
namespace {

// How many pages a reader finds in the TIFF file; 0 when it cannot open it.
int CountTiffPages(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (tif == nullptr) {
        return 0;
    }
    int pages = 0;
    do {
        ++pages;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
    return pages;
}

// The pages go into a temporary file beside the target, which replaces the
// target only once a reader finds every page in it.
bool CombineToTiff(const QString& target, const QStringList& pages, const std::vector<int>& types) {
    if (types.size() != static_cast<std::size_t>(pages.size())) {
        return false;
    }
    platform::AtomicFileTarget file(target);
    if (!file.IsValid()) {
        return false;
    }
    CTiffWriter writer;
    if (!writer.Open(file.TempPath(), 1)) {
        return false;
    }
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const cv::Mat page = ReadImageFile(pages[i]);
        if (page.empty() || !writer.AppendPageToFile(file.TempPath(), page, types[i])) {
            return false;
        }
    }
    writer.Close();
    return CountTiffPages(file.TempPath()) == pages.size() && file.Commit();
}

}  // namespace

QString CombinedFileName(int outputMode, const QString& target) {
    return outputMode == kCombineToPdf ? ReplaceExtension(target, QStringLiteral(".pdf")) : target;
}

bool CombinePages(int outputMode, const QString& target, const QStringList& pages,
                  const std::vector<int>& types) {
    if (pages.isEmpty() || target.isEmpty()) {
        return false;
    }
    if (outputMode == kCombineToTiff) {
        return CombineToTiff(target, pages, types);
    }
    if (outputMode == kCombineToPdf) {
        CPdfDocument document;
        document.SetTargetName(target);
        return document.WriteImages(pages) == 0;
    }
    return false;
}

}  // namespace orbisk

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orbisk {

// Output modes of the page-collection dialog.
inline constexpr int kCombineToPdf = 0;
inline constexpr int kCombineToTiff = 1;

// The file CombinePages writes: in PDF mode `target` with its extension
// replaced by ".pdf", in TIFF mode `target` as it is.
QString CombinedFileName(int outputMode, const QString& target);

// Combines the page files into one document at CombinedFileName: a PDF, or a
// multi-page TIFF (200 dpi, JPEG quality 50; `types` gives each page's type).
// All or nothing: true only when every page is in the written file; on
// failure no file is written and an existing one stays as it was. No pages or
// an unknown mode write nothing (false).
bool CombinePages(int outputMode, const QString& target, const QStringList& pages,
                  const std::vector<int>& types);

}  // namespace orbisk

// Two captures merged into one image file.

#include "documents/image_merge.h"
#include "documents/image_saver.h"

namespace orbisk {
namespace {

constexpr int kBlackAndWhite = int(ColourMode::BlackAndWhite);

}  // namespace

QString CImageSaver::MergeImages(const QString& pathA, const QString& pathB,
                                 const QString& baseName, int orientation, int gap) {
    return orientation != 0 ? MergeTopBottom(pathA, pathB, baseName, settings_.COLOR, gap)
                            : MergeLeftRight(pathA, pathB, baseName, settings_.COLOR, gap);
}

QString CImageSaver::MergeTopBottom(const QString& pathA, const QString& pathB,
                                    const QString& baseName, int colourMode, int gap) {
    return Merge(pathA, pathB, baseName, true, colourMode, gap);
}

QString CImageSaver::MergeLeftRight(const QString& pathA, const QString& pathB,
                                    const QString& baseName, int colourMode, int gap) {
    return Merge(pathA, pathB, baseName, false, colourMode, gap);
}

QString CImageSaver::Merge(const QString& pathA, const QString& pathB, const QString& baseName,
                           bool stacked, int colourMode, int gap) {
    if (pathA.isEmpty() || pathB.isEmpty() || baseName.isEmpty()) {
        return QString();
    }
    const cv::Mat canvas = MergeImagePair(LoadBgr(pathA), LoadBgr(pathB), stacked, colourMode, gap);
    if (canvas.empty()) {
        return QString();
    }
    return colourMode == kBlackAndWhite ? SaveTiff(canvas, baseName) : SaveJpeg(canvas, baseName);
}

}  // namespace orbisk

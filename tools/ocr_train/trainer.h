#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ocr_train/glyph_font.h"

namespace orbisk::ocrtrain {

// What a training run makes: the classes, the front end's dimensions and the calibration.
struct TrainOptions {
    std::vector<FontSpec> fonts;
    std::u32string characters;  // the class set, in file order
    uint64_t seed = 1;
    int samplesPerFont = 24;          // renders of each character in each font, for training
    int calibrationPerFont = 2;       // and for the calibration, from a stream of their own
    int dimension = 64;               // rows of the projection
    int axes = 10;                    // principal axes per class
    double ldaRegularisation = 0.05;  // share of the mean variance added to the within scatter
    double covarianceShrink = 0.3;    // pull of a class covariance towards the pooled one
    double minorVariance = 1.0;       // the variance beyond the principal axes, times the pooled
    int minPixelSize = 24;            // characters of this many pixels per em up to
    int maxPixelSize = 72;            // this many
    // A blob becomes a class when it is cut from at least this share of the character's
    // renders.
    double minBlobShare = 0.25;
    // The calibration: this quantile of the upright readings lands at 0, and this quantile
    // of the nearest turned readings at `turnedTarget`, the detector's limit for a blob.
    double uprightZeroQuantile = 0.005;
    double turnedQuantile = 0.1;
    double turnedTarget = 0.32;
    // Background classes: blobs cut from this many scenes that are not text (pictures,
    // textures, screened prints), at most `backgroundBlobsPerScene` from each, grouped
    // into `backgroundClusters` kinds; each kind becomes four classes, one in each turn, so
    // that a picture's blob reads about as well in every turn and the detector skips it.
    // 0 scenes: none.
    int backgroundScenes = 0;
    int backgroundBlobsPerScene = 30;
    int backgroundClusters = 96;
    // The calibrated distance at which the background classes read the median blob of
    // scenes from a stream of their own.
    double backgroundDistance = 0.36;
    int threads = 1;
    bool verbose = false;  // stage times on the standard error
    // The four distances of every calibration blob, one blob a line, written here when set
    // (before the calibration: the uncalibrated template's).
    std::string dumpPath;
    // When set, no training: only the calibration blobs measured under this template.
    std::string measureTemplate;
};

struct Histogram {
    double lo = -0.2;
    double width = 0.02;
    std::vector<long> counts = std::vector<long>(80, 0);
    long below = 0;
    long above = 0;
    void Add(double v);
    long Total() const;
};

struct TrainReport {
    int classes = 0;
    long samples = 0;
    long calibrationBlobs = 0;
    long pages = 0, pagesRight = 0, pagesWrong = 0;   // simulated from calibration blobs
    std::array<double, 3> rawUpright{}, rawTurned{};  // 5, 50 and 95% before calibration
    double scaleFactor = 1;  // raw distance = calibrated * scaleFactor + shift
    double shift = 0;
    // Calibrated distances of the calibration blobs: the upright reading, each turned
    // reading, and the nearest turned reading.
    Histogram upright, turned, nearestTurned;
    // What the detector's rule makes of each calibration blob on its own.
    long decidedRight = 0, decidedWrong = 0, votedRight = 0, votedWrong = 0, skipped = 0;
    // Background: classes made, and what the detector's rule makes of the blobs of scenes
    // from a stream of their own, each blob on its own and as pictures of many blobs.
    int backgroundClasses = 0;
    long backgroundBlobs = 0, backgroundDecided = 0, backgroundVoted = 0, backgroundSkipped = 0;
    long backgroundPages = 0, backgroundPagesDecided = 0;
};

// The fonts the program's template is trained on: Noto Sans and Serif CJK SC in both
// weights Debian ships, and WenQuanYi Zen Hei.
std::vector<FontSpec> TrainingFonts();

// Trains the template and writes it to `path`; false with `error` on failure.
bool Train(const TrainOptions& options, const std::string& path, TrainReport* report,
           std::string* error);

// The class set of a UTF-8 text: every character but white space, first occurrence only.
std::u32string ReadCharacterSet(const std::string& utf8);

// The two-byte label of a character: its GB2312 code, with digits and Latin letters as their
// full-width forms; empty for a character GB2312 lacks.
std::string CharacterLabel(char32_t code);

std::string FormatReport(const TrainReport& report);

}  // namespace orbisk::ocrtrain

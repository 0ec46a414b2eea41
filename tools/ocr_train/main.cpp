// Trains the recognition template of page-orientation detection from Debian's CJK fonts.
//
//   orbisk-ocr-train --chars tools/ocr_train/classes.txt --out OCR_RLDA_LN_Gra.tpl
//
// The same sources, options and seed give the same file, byte for byte, whatever the
// number of threads.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/ocr_train/trainer.h"

namespace {

using namespace orbisk::ocrtrain;

int Usage() {
    std::cerr << "usage: orbisk-ocr-train --chars FILE --out FILE [--seed N] [--samples N]\n"
                 "         [--calibration N] [--dim N] [--axes N] [--threads N]\n"
                 "         [--background SCENES] [--background-kinds N] [--background-distance D]\n"
                 "         [--font FILE:FAMILY]... [--report FILE]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    TrainOptions options;
    std::string chars, out, reportPath;
    std::vector<FontSpec> fonts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string v = argv[++i];
        if (a == "--chars") {
            chars = v;
        } else if (a == "--out") {
            out = v;
        } else if (a == "--seed") {
            options.seed = std::strtoull(v.c_str(), nullptr, 10);
        } else if (a == "--samples") {
            options.samplesPerFont = std::atoi(v.c_str());
        } else if (a == "--calibration") {
            options.calibrationPerFont = std::atoi(v.c_str());
        } else if (a == "--dim") {
            options.dimension = std::atoi(v.c_str());
        } else if (a == "--axes") {
            options.axes = std::atoi(v.c_str());
        } else if (a == "--threads") {
            options.threads = std::atoi(v.c_str());
        } else if (a == "--shrink") {
            options.covarianceShrink = std::atof(v.c_str());
        } else if (a == "--lda-reg") {
            options.ldaRegularisation = std::atof(v.c_str());
        } else if (a == "--minor") {
            options.minorVariance = std::atof(v.c_str());
        } else if (a == "--font") {
            const size_t colon = v.find(':');
            if (colon == std::string::npos) return Usage();
            fonts.push_back({v.substr(0, colon), v.substr(colon + 1), ""});
        } else if (a == "--background") {
            options.backgroundScenes = std::atoi(v.c_str());
        } else if (a == "--background-kinds") {
            options.backgroundClusters = std::atoi(v.c_str());
        } else if (a == "--background-distance") {
            options.backgroundDistance = std::atof(v.c_str());
        } else if (a == "--verbose") {
            options.verbose = v == "1";
        } else if (a == "--dump") {
            options.dumpPath = v;
        } else if (a == "--measure") {
            options.measureTemplate = v;
        } else if (a == "--report") {
            reportPath = v;
        } else {
            return Usage();
        }
    }
    if (chars.empty() || out.empty()) return Usage();
    std::ifstream in(chars, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "cannot read " << chars << "\n";
        return 1;
    }
    options.characters = ReadCharacterSet(text.str());
    options.fonts = fonts.empty() ? TrainingFonts() : fonts;
    TrainReport report;
    std::string error;
    if (!Train(options, out, &report, &error)) {
        std::cerr << "orbisk-ocr-train: " << error << "\n";
        return 1;
    }
    const std::string summary = FormatReport(report);
    std::cout << summary;
    if (!reportPath.empty()) std::ofstream(reportPath) << summary;
    return 0;
}

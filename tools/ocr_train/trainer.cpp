#include "tools/ocr_train/trainer.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "recognition/doc_ocr.h"
#include "recognition/factories.h"
#include "recognition/ocr_engine.h"
#include "recognition/ocr_front_end.h"
#include "recognition/template_writer.h"
#include "tools/ocr_train/background_scene.h"
#include "tools/ocr_train/camera_look.h"

namespace orbisk::ocrtrain {
namespace {

// The front end, named as the template names it.
constexpr char kKind[] = "NEW:RLDA_PLUS_MQDF";
constexpr char kNormaliser[] = "LN";
constexpr char kExtractor[] = "GRA";
constexpr char kMeasure[] = "L2";
constexpr int kFeatureLength = 512;

// The clean render the blobs of a character are named from.
constexpr int kReferencePixels = 64;
// A cut blob is the class's blob when its box, relative to the character's, overlaps the
// class's this much.
constexpr double kRoleOverlap = 0.6;
// Streams of the sample generator.
constexpr uint64_t kTrainingStream = 1;
constexpr uint64_t kCalibrationStream = 2;
constexpr uint64_t kBackgroundStream = 3;
constexpr uint64_t kBackgroundCalibrationStream = 4;
constexpr uint64_t kClusterStream = 5;
// The label of the background classes: the full-width space, no character.
constexpr char kBackgroundLabel[] = "\xA1\xA1";
// A kind of background with fewer blobs than this makes no classes.
constexpr int kMinBackgroundKind = 20;

// Runs fn(i, worker) for i in [0, n) on `threads` threads; results go by index, so the
// outcome does not depend on the thread count.
void ParallelFor(int n, int threads, const std::function<void(int, int)>& fn) {
    std::atomic<int> next{0};
    auto work = [&](int worker) {
        for (int i = next++; i < n; i = next++) fn(i, worker);
    };
    const int count = std::max(1, std::min(threads, n));
    std::vector<std::thread> pool;
    for (int t = 1; t < count; ++t) pool.emplace_back(work, t);
    work(0);
    for (auto& t : pool) t.join();
}

// What one worker thread renders and measures with.
struct Worker {
    std::vector<std::unique_ptr<GlyphFont>> fonts;
    CDocOCR cutter;
    std::unique_ptr<CImageNormalizer> normaliser = CreateImageNormalizer(kNormaliser);
    std::unique_ptr<CFeatureExtractor> extractor = CreateFeatureExtractor(kExtractor);
    CDocOCR recogniser;  // the template under calibration
};

// A blob's box relative to its character's box.
struct RelBox {
    double x, y, w, h;
};

double Overlap(const RelBox& a, const RelBox& b) {
    const double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const double x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    if (x1 <= x0 || y1 <= y0) return 0.0;
    const double inter = (x1 - x0) * (y1 - y0);
    return inter / (a.w * a.h + b.w * b.h - inter);
}

int BestRole(const std::vector<RelBox>& roles, const RelBox& box) {
    int best = -1;
    double bestOverlap = kRoleOverlap;
    for (size_t i = 0; i < roles.size(); ++i) {
        const double o = Overlap(roles[i], box);
        if (o >= bestOverlap) {
            best = static_cast<int>(i);
            bestOverlap = o;
        }
    }
    return best;
}

struct Cut {
    RelBox box;
    cv::Mat crop;  // 255 - grey, as the detector recognises it
};

// One render of `code` as the camera shows it, cut into blobs as the detector cuts them.
// `clean`: the reference render, without neighbours or camera effects.
std::vector<Cut> RenderAndCut(Worker& worker, const TrainOptions& options, int font, char32_t code,
                              SampleRandom& random, bool clean) {
    std::vector<Cut> cuts;
    const GlyphFont& face = *worker.fonts[font];
    int pixels = kReferencePixels;
    double embolden = 0;
    if (!clean) {
        pixels = static_cast<int>(std::lround(std::exp(
            random.Uniform(std::log(options.minPixelSize), std::log(options.maxPixelSize + 0.5)))));
        embolden = random.Uniform(-0.03, 0.06) * pixels;
    }
    const GlyphFont::Glyph glyph = face.Render(code, pixels, embolden);
    if (glyph.coverage.empty()) return cuts;
    const int ascender = face.Ascender(pixels);
    const int margin = std::max(24, pixels);
    const int advance = std::max(glyph.advance, pixels / 2);
    const int lineHeight = ascender + face.Descender(pixels);
    cv::Mat canvas = cv::Mat::zeros(lineHeight + 2 * margin, advance + 2 * margin, CV_8UC1);
    const int penX = margin, baseline = margin + ascender;
    StampGlyph(canvas, glyph, penX, baseline);
    const cv::Rect inkBox(penX + glyph.left, baseline - glyph.top, glyph.coverage.cols,
                          glyph.coverage.rows);

    CameraLook look;
    look.paper = 255;
    look.ink = 0;
    if (!clean) {
        auto neighbour = [&]() {
            const char32_t other =
                options.characters[random.Int(0, static_cast<int>(options.characters.size()) - 1)];
            return face.Render(other, pixels, embolden);
        };
        const int tracking = static_cast<int>(random.Uniform(0.0, 0.2) * pixels);
        if (random.Chance(0.5)) {
            const GlyphFont::Glyph left = neighbour(), right = neighbour();
            StampGlyph(canvas, left, penX - std::max(left.advance, pixels / 2) - tracking,
                       baseline);
            StampGlyph(canvas, right, penX + advance + tracking, baseline);
        }
        if (random.Chance(0.3)) {
            const int gap = static_cast<int>(random.Uniform(1.25, 1.8) * pixels);
            for (const int line : {baseline - gap, baseline + gap}) {
                for (int k = -1; k <= 1; ++k) {
                    StampGlyph(canvas, neighbour(), penX + k * (advance + tracking), line);
                }
            }
        }
        look = RandomLook(random);
    }
    const cv::Mat grey = Photograph(canvas, look, random);

    // The character's box where the camera put it.
    const cv::Mat map = LookTransform(look, canvas.size());
    std::vector<cv::Point2f> corners = {
        {static_cast<float>(inkBox.x), static_cast<float>(inkBox.y)},
        {static_cast<float>(inkBox.br().x), static_cast<float>(inkBox.y)},
        {static_cast<float>(inkBox.x), static_cast<float>(inkBox.br().y)},
        {static_cast<float>(inkBox.br().x), static_cast<float>(inkBox.br().y)}};
    cv::transform(corners, corners, map);
    const cv::Rect2f where = cv::boundingRect(corners);

    for (const cv::Rect& b : worker.cutter.FindBlobs(grey, false)) {
        Cut cut;
        cut.box = {(b.x - where.x) / where.width, (b.y - where.y) / where.height,
                   b.width / where.width, b.height / where.height};
        // Only blobs of the character itself.
        if (cut.box.x < -0.2 || cut.box.y < -0.2 || cut.box.x + cut.box.w > 1.2 ||
            cut.box.y + cut.box.h > 1.2) {
            continue;
        }
        cut.crop = 255 - grey(b);
        cuts.push_back(std::move(cut));
    }
    return cuts;
}

// The blobs of one background scene as the detector cuts them, at most `most`, chosen at
// random.
std::vector<cv::Mat> BackgroundBlobs(Worker& worker, int most, SampleRandom& random) {
    const int width = random.Int(400, 900);
    const cv::Mat grey = BackgroundScene({width, width * 3 / 4}, random);
    std::vector<cv::Rect> boxes = worker.cutter.FindBlobs(grey, false);
    // A partial Fisher-Yates shuffle on our own stream.
    const int n = static_cast<int>(boxes.size());
    const int take = std::min(n, most);
    for (int i = 0; i < take; ++i) std::swap(boxes[i], boxes[random.Int(i, n - 1)]);
    std::vector<cv::Mat> crops;
    for (int i = 0; i < take; ++i) crops.push_back(255 - grey(boxes[i]));
    return crops;
}

// k-means on the rows of `z` (CV_64F), seeded the k-means++ way from our own stream; the
// sums run in row order, so the result is the same everywhere.
std::vector<int> KMeans(const cv::Mat& z, int k, SampleRandom& random, int iterations) {
    const int n = z.rows;
    std::vector<int> assign(n, 0);
    if (n == 0 || k < 1) return assign;
    k = std::min(k, n);
    auto distance = [&](int row, const cv::Mat& centres, int c) {
        const double* a = z.ptr<double>(row);
        const double* b = centres.ptr<double>(c);
        double sum = 0;
        for (int j = 0; j < z.cols; ++j) sum += (a[j] - b[j]) * (a[j] - b[j]);
        return sum;
    };
    cv::Mat centres(k, z.cols, CV_64F);
    z.row(random.Int(0, n - 1)).copyTo(centres.row(0));
    std::vector<double> nearest(n, std::numeric_limits<double>::max());
    for (int c = 1; c < k; ++c) {
        double total = 0;
        for (int i = 0; i < n; ++i) {
            nearest[i] = std::min(nearest[i], distance(i, centres, c - 1));
            total += nearest[i];
        }
        double pick = random.Uniform(0, total);
        int chosen = n - 1;
        for (int i = 0; i < n; ++i) {
            pick -= nearest[i];
            if (pick < 0) {
                chosen = i;
                break;
            }
        }
        z.row(chosen).copyTo(centres.row(c));
    }
    for (int it = 0; it < iterations; ++it) {
        for (int i = 0; i < n; ++i) {
            double best = std::numeric_limits<double>::max();
            for (int c = 0; c < k; ++c) {
                const double d = distance(i, centres, c);
                if (d < best) {
                    best = d;
                    assign[i] = c;
                }
            }
        }
        cv::Mat sums = cv::Mat::zeros(k, z.cols, CV_64F);
        std::vector<int> counts(k, 0);
        for (int i = 0; i < n; ++i) {
            sums.row(assign[i]) += z.row(i);
            ++counts[assign[i]];
        }
        for (int c = 0; c < k; ++c) {
            if (counts[c] > 0) centres.row(c) = sums.row(c) / counts[c];
        }
    }
    return assign;
}

bool Feature(Worker& worker, const cv::Mat& crop, std::vector<float>* out) {
    const cv::Mat c = crop.isContinuous() ? crop : crop.clone();
    OcrMatrixPtr f = BuildFeature(c.data, c.cols, c.rows, worker.normaliser.get(),
                                  worker.extractor.get(), nullptr, false);
    if (!f || OcrElementCount(f.get()) != kFeatureLength) return false;
    const auto* v = static_cast<const double*>(f->data);
    out->assign(v, v + kFeatureLength);
    return true;
}

// The samples of one class: features row by row.
struct ClassData {
    char32_t code = 0;
    int role = 0;
    std::vector<float> features;  // n x 512
    int Count() const { return static_cast<int>(features.size() / kFeatureLength); }
};

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const double at = q * (values.size() - 1);
    const size_t i = static_cast<size_t>(at);
    const double f = at - i;
    return i + 1 < values.size() ? values[i] * (1 - f) + values[i + 1] * f : values[i];
}

// Symmetric eigen decomposition, eigenvalues descending, eigenvectors as rows.
void Eigen(const cv::Mat& symmetric, cv::Mat& values, cv::Mat& vectors) {
    cv::Mat s = (symmetric + symmetric.t()) * 0.5;
    cv::eigen(s, values, vectors);
}

struct Model {
    cv::Mat projection;  // d x 512
    std::vector<std::string> labels;
    std::vector<cv::Mat> means;         // d x 1
    std::vector<cv::Mat> eigenvectors;  // k x d
    std::vector<cv::Mat> weights;       // 1 x k
    std::vector<double> scales;
    std::vector<double> offsets;
};

// Writes the classes [first, last) (all by default).
bool WriteModel(const Model& m, const std::string& path, double shift, double factor,
                size_t first = 0, size_t last = SIZE_MAX) {
    TemplateWriter w(path);
    std::vector<double> projection(m.projection.begin<double>(), m.projection.end<double>());
    w.MqdfHeader(kKind, kNormaliser, kExtractor, kMeasure, m.projection.rows, projection);
    for (size_t c = first; c < std::min(last, m.labels.size()); ++c) {
        std::vector<double> mean(m.means[c].begin<double>(), m.means[c].end<double>());
        std::vector<double> vectors(m.eigenvectors[c].begin<double>(),
                                    m.eigenvectors[c].end<double>());
        std::vector<double> weights(m.weights[c].begin<double>(), m.weights[c].end<double>());
        // calibrated = (raw - shift) / factor, folded into scale and offset.
        w.MqdfClass(m.labels[c], mean, m.eigenvectors[c].rows, vectors, weights,
                    m.scales[c] * factor, (m.offsets[c] - shift) / factor);
    }
    return w.Close();
}

// Pages made of calibration blobs in random order, decided by the detector's own rule.
struct PageOutcome {
    long pages = 0, right = 0, wrong = 0;
};

PageOutcome SimulatePages(const std::vector<std::array<double, 4>>& raw, double shift,
                          double factor, uint64_t seed) {
    PageOutcome o;
    if (raw.empty()) return o;
    constexpr int kPages = 3000;
    for (int p = 0; p < kPages; ++p) {
        SampleRandom random(seed, 7, p);
        // From a few short lines to a dense page.
        const int blobs = random.Int(3, 60);
        // The page's turn: the genuine reading sits at this index.
        const int turn = random.Int(0, 3);
        OrientationVote vote;
        for (int b = 0; b < blobs; ++b) {
            const auto& r =
                raw[static_cast<size_t>(random.Int(0, static_cast<int>(raw.size()) - 1))];
            std::array<double, 4> d;
            for (int i = 0; i < 4; ++i) d[(i + turn) % 4] = (r[i] - shift) / factor;
            const OrientationVote::Step step = vote.Add(d);
            if (step == OrientationVote::Step::kDecided || step == OrientationVote::Step::kEnough) {
                break;
            }
        }
        ++o.pages;
        int angle = -1;
        if (vote.Result(&angle)) ++(angle == turn * 90 ? o.right : o.wrong);
    }
    return o;
}

// What the detector makes of pictures: pages of many background blobs in random order.
long DecidedBackgroundPages(const std::vector<std::array<double, 4>>& calibrated, int pages,
                            uint64_t seed) {
    long decided = 0;
    if (calibrated.empty()) return decided;
    for (int p = 0; p < pages; ++p) {
        SampleRandom random(seed, 8, p);
        const int blobs = random.Int(50, 400);
        OrientationVote vote;
        for (int b = 0; b < blobs; ++b) {
            const OrientationVote::Step step = vote.Add(calibrated[static_cast<size_t>(
                random.Int(0, static_cast<int>(calibrated.size()) - 1))]);
            if (step == OrientationVote::Step::kDecided || step == OrientationVote::Step::kEnough) {
                break;
            }
        }
        int angle = -1;
        if (vote.Result(&angle)) ++decided;
    }
    return decided;
}

}  // namespace

std::vector<FontSpec> TrainingFonts() {
    const std::string noto = "/usr/share/fonts/opentype/noto/";
    return {
        {noto + "NotoSansCJK-Regular.ttc", "Noto Sans CJK SC", ""},
        {noto + "NotoSansCJK-Bold.ttc", "Noto Sans CJK SC", ""},
        {noto + "NotoSerifCJK-Regular.ttc", "Noto Serif CJK SC", ""},
        {noto + "NotoSerifCJK-Bold.ttc", "Noto Serif CJK SC", ""},
        {"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", "WenQuanYi Zen Hei", ""},
    };
}

void Histogram::Add(double v) {
    const double at = (v - lo) / width;
    if (at < 0) {
        ++below;
    } else if (at >= counts.size()) {
        ++above;
    } else {
        ++counts[static_cast<size_t>(at)];
    }
}

long Histogram::Total() const {
    long n = below + above;
    for (long c : counts) n += c;
    return n;
}

std::u32string ReadCharacterSet(const std::string& utf8) {
    std::u32string set;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c == U' ' || c == U'\n' || c == U'\r' || c == U'\t' || c == 0x3000) continue;
        if (set.find(c) == std::u32string::npos) set.push_back(c);
    }
    return set;
}

std::string CharacterLabel(char32_t code) {
    // Digits and Latin letters as their full-width forms, so that every label is two bytes.
    if (code > 0x20 && code < 0x7f) code += 0xfee0;
    std::string utf8 = EncodeUtf8(code);
    iconv_t cd = iconv_open("GB2312", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char out[8] = {};
    char* in = utf8.data();
    size_t inLeft = utf8.size(), outLeft = sizeof(out);
    char* o = out;
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0 || sizeof(out) - outLeft != 2) return {};
    return std::string(out, 2);
}

bool Train(const TrainOptions& options, const std::string& path, TrainReport* report,
           std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (options.fonts.empty() || options.characters.empty()) return fail("no fonts or characters");
    if (options.dimension < 1 || options.dimension > kFeatureLength || options.axes < 0 ||
        options.axes >= options.dimension) {
        return fail("dimension or axes out of range");
    }
    cv::setNumThreads(1);
    const auto started = std::chrono::steady_clock::now();
    auto stage = [&](const char* name) {
        if (!options.verbose) return;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::cerr << "[" << s << " s] " << name << "\n";
    };
    const int threads = std::max(1, options.threads);
    std::vector<Worker> workers(threads);
    for (Worker& w : workers) {
        for (const FontSpec& spec : options.fonts) {
            w.fonts.push_back(GlyphFont::Open(spec));
            if (!w.fonts.back()) return fail("cannot open font " + spec.file + " " + spec.family);
        }
    }
    const int chars = static_cast<int>(options.characters.size());
    const int fonts = static_cast<int>(options.fonts.size());
    std::vector<std::string> labels(chars);
    for (int c = 0; c < chars; ++c) {
        labels[c] = CharacterLabel(options.characters[c]);
        if (labels[c].size() != 2) {
            return fail("no two-byte label for " + EncodeUtf8(options.characters[c]));
        }
    }

    // The blobs each character is cut into, named from clean renders in every font.
    std::vector<std::vector<RelBox>> roles(chars);
    ParallelFor(chars, threads, [&](int c, int t) {
        for (int f = 0; f < fonts; ++f) {
            SampleRandom random(options.seed, 0, c, f);
            for (const Cut& cut :
                 RenderAndCut(workers[t], options, f, options.characters[c], random, true)) {
                if (BestRole(roles[c], cut.box) < 0) roles[c].push_back(cut.box);
            }
        }
    });

    stage("roles");
    // Calibration blobs from a stream of their own.
    std::vector<std::vector<cv::Mat>> calibration(chars);
    ParallelFor(chars, threads, [&](int c, int t) {
        for (int f = 0; f < fonts; ++f) {
            if (!workers[t].fonts[f]->Has(options.characters[c])) continue;
            for (int s = 0; s < options.calibrationPerFont; ++s) {
                SampleRandom random(options.seed, kCalibrationStream, c, f * 100000 + s);
                for (Cut& cut :
                     RenderAndCut(workers[t], options, f, options.characters[c], random, false)) {
                    if (BestRole(roles[c], cut.box) >= 0) calibration[c].push_back(cut.crop);
                }
            }
        }
    });
    std::vector<cv::Mat> blobs;
    for (auto& list : calibration)
        for (cv::Mat& m : list) blobs.push_back(std::move(m));
    const int B = static_cast<int>(blobs.size());

    // Distances of the four readings of every crop under a template.
    auto measureCrops =
        [&](const std::string& file,
            const std::vector<cv::Mat>& crops) -> std::vector<std::array<double, 4>> {
        const int n = static_cast<int>(crops.size());
        std::vector<std::array<double, 4>> out(n);
        for (Worker& w : workers) {
            if (!w.recogniser.Initialize(file.c_str())) return {};
        }
        ParallelFor(n, threads,
                    [&](int b, int t) { out[b] = workers[t].recogniser.ReadTurns(crops[b]); });
        return out;
    };
    auto measure = [&](const std::string& file) { return measureCrops(file, blobs); };
    stage("calibration blobs");
    auto dump = [&](const std::vector<std::array<double, 4>>& d) {
        if (options.dumpPath.empty()) return;
        std::ofstream out(options.dumpPath);
        out.precision(17);
        for (const auto& r : d) out << r[0] << ' ' << r[1] << ' ' << r[2] << ' ' << r[3] << '\n';
    };
    if (!options.measureTemplate.empty()) {
        // Only the distances of the calibration blobs under a template made before.
        const auto measured = measure(options.measureTemplate);
        if (measured.empty() && B > 0) return fail("cannot load " + options.measureTemplate);
        dump(measured);
        return true;
    }

    // Training samples, by character and blob.
    std::vector<std::vector<ClassData>> perChar(chars);
    ParallelFor(chars, threads, [&](int c, int t) {
        Worker& w = workers[t];
        std::vector<ClassData>& data = perChar[c];
        data.resize(roles[c].size());
        int renders = 0;
        for (int f = 0; f < fonts; ++f) {
            if (!w.fonts[f]->Has(options.characters[c])) continue;
            for (int s = 0; s < options.samplesPerFont; ++s) {
                SampleRandom random(options.seed, kTrainingStream, c, f * 100000 + s);
                ++renders;
                for (const Cut& cut :
                     RenderAndCut(w, options, f, options.characters[c], random, false)) {
                    const int role = BestRole(roles[c], cut.box);
                    std::vector<float> feature;
                    if (role < 0 || !Feature(w, cut.crop, &feature)) continue;
                    data[role].features.insert(data[role].features.end(), feature.begin(),
                                               feature.end());
                }
            }
        }
        const int needed = std::max(3, static_cast<int>(std::ceil(options.minBlobShare * renders)));
        std::vector<ClassData> kept;
        for (size_t r = 0; r < data.size(); ++r) {
            if (data[r].Count() < needed) continue;
            data[r].code = options.characters[c];
            data[r].role = static_cast<int>(r);
            kept.push_back(std::move(data[r]));
        }
        data = std::move(kept);
    });
    std::vector<ClassData*> classes;
    std::vector<int> classChar;
    for (int c = 0; c < chars; ++c) {
        for (ClassData& d : perChar[c]) {
            classes.push_back(&d);
            classChar.push_back(c);
        }
    }
    int C = static_cast<int>(classes.size());
    if (C < 2) return fail("fewer than two classes");
    long total = 0;
    for (const ClassData* d : classes) total += d->Count();

    stage("samples");
    // Regularised LDA. Class means, then the within-class scatter summed in blocks of
    // classes in a fixed order.
    const int D = kFeatureLength;
    auto classMean = [&](const ClassData& d) {
        cv::Mat x(d.Count(), D, CV_32F, const_cast<float*>(d.features.data()));
        cv::Mat xd, mean;
        x.convertTo(xd, CV_64F);
        cv::reduce(xd, mean, 0, cv::REDUCE_AVG, CV_64F);  // 1 x D
        return mean;
    };
    std::vector<cv::Mat> means(C);
    ParallelFor(C, threads, [&](int c, int) { means[c] = classMean(*classes[c]); });
    constexpr int kBlock = 32;
    const int blocks = (C + kBlock - 1) / kBlock;
    std::vector<cv::Mat> partial(blocks);
    ParallelFor(blocks, threads, [&](int b, int) {
        cv::Mat sum = cv::Mat::zeros(D, D, CV_64F);
        for (int c = b * kBlock; c < std::min(C, (b + 1) * kBlock); ++c) {
            const ClassData& d = *classes[c];
            cv::Mat x(d.Count(), D, CV_32F, const_cast<float*>(d.features.data()));
            cv::Mat xd;
            x.convertTo(xd, CV_64F);
            xd -= cv::repeat(means[c], xd.rows, 1);
            cv::Mat s;
            cv::mulTransposed(xd, s, true);
            sum += s;
        }
        partial[b] = sum;
    });
    cv::Mat within = cv::Mat::zeros(D, D, CV_64F);
    for (const cv::Mat& p : partial) within += p;
    within /= static_cast<double>(total);
    cv::Mat grand = cv::Mat::zeros(1, D, CV_64F);
    for (const cv::Mat& m : means) grand += m;
    grand /= static_cast<double>(C);
    cv::Mat between = cv::Mat::zeros(D, D, CV_64F);
    for (const cv::Mat& m : means) {
        const cv::Mat dm = m - grand;
        between += dm.t() * dm;
    }
    between /= static_cast<double>(C);
    const double meanVariance = cv::trace(within)[0] / D;
    cv::Mat regularised =
        within + cv::Mat::eye(D, D, CV_64F) * (options.ldaRegularisation * meanVariance);
    cv::Mat wValues, wVectors;
    Eigen(regularised, wValues, wVectors);
    cv::Mat whiten(D, D, CV_64F);  // columns: eigenvectors / sqrt(eigenvalue)
    for (int i = 0; i < D; ++i) {
        const double s = 1.0 / std::sqrt(std::max(wValues.at<double>(i), 1e-12));
        for (int j = 0; j < D; ++j) whiten.at<double>(j, i) = wVectors.at<double>(i, j) * s;
    }
    stage("within scatter and its eigen");
    cv::Mat bValues, bVectors;
    Eigen(whiten.t() * between * whiten, bValues, bVectors);
    const int d = options.dimension;
    Model model;
    model.projection = bVectors.rowRange(0, d) * whiten.t();  // d x D

    stage("lda");
    // Background classes, in the projection the characters made: kinds of background blob
    // found upright, each kind a class in every turn of the same blobs.
    const int charClasses = C;
    std::vector<ClassData> background;
    if (options.backgroundScenes > 0) {
        std::vector<std::vector<float>> perScene(options.backgroundScenes);  // 4 x D a blob
        ParallelFor(options.backgroundScenes, threads, [&](int s, int t) {
            SampleRandom random(options.seed, kBackgroundStream, s);
            for (const cv::Mat& crop :
                 BackgroundBlobs(workers[t], options.backgroundBlobsPerScene, random)) {
                const cv::Mat turns[4] = {crop, RotateMat90(crop), RotateMat180(crop),
                                          RotateMat270(crop)};
                std::vector<float> all, one;
                for (const cv::Mat& turn : turns) {
                    if (!Feature(workers[t], turn, &one)) break;
                    all.insert(all.end(), one.begin(), one.end());
                }
                if (all.size() == 4 * static_cast<size_t>(D)) {
                    perScene[s].insert(perScene[s].end(), all.begin(), all.end());
                }
            }
        });
        std::vector<float> pool;
        for (const auto& f : perScene) pool.insert(pool.end(), f.begin(), f.end());
        const int n = static_cast<int>(pool.size() / (4 * D));
        cv::Mat upright(n, D, CV_64F);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < D; ++j)
                upright.at<double>(i, j) = pool[(static_cast<size_t>(i) * 4) * D + j];
        const cv::Mat z = upright * model.projection.t();
        SampleRandom random(options.seed, kClusterStream);
        const std::vector<int> kind = KMeans(z, options.backgroundClusters, random, 20);
        for (int k = 0; k < options.backgroundClusters; ++k) {
            if (std::count(kind.begin(), kind.end(), k) < kMinBackgroundKind) continue;
            for (int r = 0; r < 4; ++r) {
                ClassData d;
                d.role = r;
                for (int i = 0; i < n; ++i) {
                    if (kind[i] != k) continue;
                    const float* f = &pool[(static_cast<size_t>(i) * 4 + r) * D];
                    d.features.insert(d.features.end(), f, f + D);
                }
                background.push_back(std::move(d));
            }
        }
        for (ClassData& d : background) {
            classes.push_back(&d);
            classChar.push_back(-1);
            means.push_back(classMean(d));
        }
        C = static_cast<int>(classes.size());
    }
    stage("background");
    // Per class in the projected space: mean, covariance pulled towards the pooled one.
    std::vector<cv::Mat> covariances(C);
    ParallelFor(C, threads, [&](int c, int) {
        const ClassData& dc = *classes[c];
        cv::Mat x(dc.Count(), D, CV_32F, const_cast<float*>(dc.features.data()));
        cv::Mat xd;
        x.convertTo(xd, CV_64F);
        cv::Mat z = xd * model.projection.t();  // n x d
        cv::Mat mean;
        cv::reduce(z, mean, 0, cv::REDUCE_AVG, CV_64F);
        z -= cv::repeat(mean, z.rows, 1);
        cv::Mat cov;
        cv::mulTransposed(z, cov, true);
        covariances[c] = cov / static_cast<double>(z.rows);
    });
    cv::Mat pooled = cv::Mat::zeros(d, d, CV_64F);
    // The pooled covariance and the minor variance are the characters' alone.
    for (int c = 0; c < charClasses; ++c) pooled += covariances[c] * classes[c]->Count();
    pooled /= static_cast<double>(total);
    const int k = options.axes;
    std::vector<cv::Mat> values(C), vectors(C);
    ParallelFor(C, threads, [&](int c, int) {
        const cv::Mat shrunk =
            covariances[c] * (1.0 - options.covarianceShrink) + pooled * options.covarianceShrink;
        Eigen(shrunk, values[c], vectors[c]);
    });
    double minor = 0;
    for (int c = 0; c < charClasses; ++c) {
        double sum = 0;
        for (int i = k; i < d; ++i) sum += values[c].at<double>(i);
        minor += d > k ? sum / (d - k) : 0.0;
    }
    const double delta = std::max(1e-9, options.minorVariance * minor / charClasses);
    model.labels.resize(C);
    model.means.resize(C);
    model.eigenvectors.resize(C);
    model.weights.resize(C);
    model.scales.assign(C, delta);
    model.offsets.resize(C);
    for (int c = 0; c < C; ++c) {
        model.labels[c] = classChar[c] < 0 ? kBackgroundLabel : labels[classChar[c]];
        model.means[c] = model.projection * means[c].t();
        model.eigenvectors[c] = vectors[c].rowRange(0, k).clone();
        model.weights[c] = cv::Mat(1, k, CV_64F);
        double logs = (d - k) * std::log(delta);
        for (int i = 0; i < k; ++i) {
            const double lambda = std::max(values[c].at<double>(i), delta);
            model.weights[c].at<double>(i) = delta / lambda - 1.0;
            logs += std::log(lambda);
        }
        model.offsets[c] = logs;
    }

    stage("mqdf");
    // The characters are calibrated on their own.
    if (!WriteModel(model, path, 0.0, 1.0, 0, charClasses)) return fail("cannot write " + path);
    const auto raw = measure(path);
    if (raw.empty() && B > 0) return fail("cannot load the template just written");
    dump(raw);
    stage("raw distances");
    std::vector<double> upright, turned;
    for (const auto& r : raw) {
        upright.push_back(r[0]);
        turned.push_back(std::min({r[1], r[2], r[3]}));
    }
    // The calibration, calibrated = (raw - shift) / factor: the best upright readings land
    // near 0 and all but a few of the nearest turned readings above the detector's 0.32.
    const double shift = Quantile(upright, options.uprightZeroQuantile);
    double factor = (Quantile(turned, options.turnedQuantile) - shift) / options.turnedTarget;
    if (!(factor > 0) || !std::isfinite(factor)) {
        // No separation at all: the spread of the upright readings.
        factor = std::max(1e-9, Quantile(upright, 0.5) - shift) / 0.1;
    }
    const PageOutcome chosen = SimulatePages(raw, shift, factor, options.seed);
    stage("calibration chosen");
    // The background classes read a picture's blob at about `backgroundDistance` in every
    // turn: low enough to hide what characters it half resembles, and so far above zero
    // that the small differences between the turns leave the turns alike.
    std::vector<cv::Mat> backgroundCrops;
    if (C > charClasses) {
        const int scenes = std::max(1, options.backgroundScenes / 4);
        std::vector<std::vector<cv::Mat>> perScene(scenes);
        ParallelFor(scenes, threads, [&](int s, int t) {
            SampleRandom random(options.seed, kBackgroundCalibrationStream, s);
            perScene[s] = BackgroundBlobs(workers[t], options.backgroundBlobsPerScene, random);
        });
        for (auto& list : perScene)
            for (cv::Mat& m : list) backgroundCrops.push_back(std::move(m));
        if (!WriteModel(model, path, shift, factor, charClasses, C)) {
            return fail("cannot write " + path);
        }
        std::vector<double> best;
        for (const auto& r : measureCrops(path, backgroundCrops)) {
            best.push_back(*std::min_element(r.begin(), r.end()));
        }
        const double lift = options.backgroundDistance - Quantile(best, 0.5);
        for (int c = charClasses; c < C; ++c) model.offsets[c] += lift * factor;
        stage("background lifted");
    }
    if (!WriteModel(model, path, shift, factor)) return fail("cannot write " + path);

    stage("calibrated");
    if (report != nullptr) {
        *report = TrainReport();
        report->classes = C;
        report->backgroundClasses = C - charClasses;
        report->samples = total;
        report->calibrationBlobs = B;
        report->scaleFactor = factor;
        report->shift = shift;
        report->pages = chosen.pages;
        report->pagesRight = chosen.right;
        report->pagesWrong = chosen.wrong;
        report->rawUpright = {Quantile(upright, 0.05), Quantile(upright, 0.5),
                              Quantile(upright, 0.95)};
        report->rawTurned = {Quantile(turned, 0.05), Quantile(turned, 0.5), Quantile(turned, 0.95)};
        const auto calibrated = measure(path);
        for (const auto& r : calibrated) {
            report->upright.Add(r[0]);
            for (int i = 1; i < 4; ++i) report->turned.Add(r[i]);
            report->nearestTurned.Add(std::min({r[1], r[2], r[3]}));
            OrientationVote vote;
            const OrientationVote::Step step = vote.Add(r);
            int angle = -1;
            vote.Result(&angle);
            if (step == OrientationVote::Step::kSkipped) {
                ++report->skipped;
            } else if (step == OrientationVote::Step::kDecided) {
                ++(angle == 0 ? report->decidedRight : report->decidedWrong);
            } else {
                ++(angle == 0 ? report->votedRight : report->votedWrong);
            }
        }
        if (!backgroundCrops.empty()) {
            const auto distances = measureCrops(path, backgroundCrops);
            report->backgroundBlobs = static_cast<long>(distances.size());
            for (const auto& r : distances) {
                OrientationVote vote;
                switch (vote.Add(r)) {
                    case OrientationVote::Step::kSkipped:
                        ++report->backgroundSkipped;
                        break;
                    case OrientationVote::Step::kDecided:
                        ++report->backgroundDecided;
                        break;
                    default:
                        ++report->backgroundVoted;
                        break;
                }
            }
            report->backgroundPages = 2000;
            report->backgroundPagesDecided = DecidedBackgroundPages(distances, 2000, options.seed);
        }
    }
    return true;
}

std::string FormatReport(const TrainReport& r) {
    std::ostringstream out;
    out << "classes " << r.classes << ", training blobs " << r.samples << ", calibration blobs "
        << r.calibrationBlobs << "\n";
    out << "calibration: raw = calibrated * " << r.scaleFactor << " + " << r.shift << "\n";
    out << "raw upright 5/50/95%: " << r.rawUpright[0] << " " << r.rawUpright[1] << " "
        << r.rawUpright[2] << "; raw nearest turned: " << r.rawTurned[0] << " " << r.rawTurned[1]
        << " " << r.rawTurned[2] << "\n";
    out << "simulated pages: " << r.pages << ", right " << r.pagesRight << ", wrong "
        << r.pagesWrong << "\n";
    out << "one blob alone: decided right " << r.decidedRight << ", decided wrong "
        << r.decidedWrong << ", votes right " << r.votedRight << ", votes wrong " << r.votedWrong
        << ", skipped " << r.skipped << "\n";
    if (r.backgroundBlobs > 0 || r.backgroundClasses > 0) {
        out << "background: " << r.backgroundClasses << " classes; blobs " << r.backgroundBlobs
            << ": decided " << r.backgroundDecided << ", voted " << r.backgroundVoted
            << ", skipped " << r.backgroundSkipped << "; pictures of 50-400 blobs decided "
            << r.backgroundPagesDecided << " of " << r.backgroundPages << "\n";
    }
    out << "distance   upright  turned  nearest-turned\n";
    auto share = [](const Histogram& h, long n) {
        const long t = h.Total();
        return t ? 100.0 * n / t : 0.0;
    };
    char line[128];
    std::snprintf(line, sizeof line, "   < %5.2f %7.2f%% %6.2f%% %6.2f%%\n", r.upright.lo,
                  share(r.upright, r.upright.below), share(r.turned, r.turned.below),
                  share(r.nearestTurned, r.nearestTurned.below));
    out << line;
    for (size_t i = 0; i < r.upright.counts.size(); ++i) {
        std::snprintf(line, sizeof line, "   %5.2f %7.2f%% %6.2f%% %6.2f%%\n",
                      r.upright.lo + i * r.upright.width, share(r.upright, r.upright.counts[i]),
                      share(r.turned, r.turned.counts[i]),
                      share(r.nearestTurned, r.nearestTurned.counts[i]));
        out << line;
    }
    std::snprintf(line, sizeof line, "  >= %5.2f %7.2f%% %6.2f%% %6.2f%%\n",
                  r.upright.lo + r.upright.counts.size() * r.upright.width,
                  share(r.upright, r.upright.above), share(r.turned, r.turned.above),
                  share(r.nearestTurned, r.nearestTurned.above));
    out << line;
    return out.str();
}

}  // namespace orbisk::ocrtrain

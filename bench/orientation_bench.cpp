// Page orientation: how often the orientation thread's detector is right and wrong on pages
// it renders itself as a document camera photographs them, against Tesseract's orientation
// detection on the same pages, and how fast both are.
//
//   orientation_bench [--pages N] [--threads N] [--rows TEXT] [--no-tesseract]
//                     [--speed-only] [--preview-seconds N] [--save-pages DIR] [--verbose]
//
// Every row has N pages (a quarter in each turn), each examined twice: the page cut out of
// the frame as the orientation thread cuts it, and the whole frame. A decision of ours is
// any angle Detect returns; one of Tesseract's is an orientation with a confidence of at
// least 2. The OCR_RLDA_LN_Gra.tpl beside the program is used.

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/osdetect.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "app/main_dlg/camera_port.h"
#include "app/main_dlg/orientation_thread.h"
#include "bench/orientation_pages.h"
#include "platform/program_folders.h"
#include "platform/simulated_camera.h"
#include "platform/simulated_camera_id.h"
#include "platform/video_registry.h"
#include "platform/worker_thread.h"
#include "recognition/doc_ocr.h"
#include "tools/ocr_train/trainer.h"
#include "video/camera_controller.h"
#include "video/dialogs/recording_camera.h"
#include "video/show_video.h"
#include "video/show_video_pro.h"

namespace {

using namespace orbisk;
using namespace orbisk::bench;
using ocrtrain::FontSpec;
using ocrtrain::GlyphFont;
using Clock = std::chrono::steady_clock;

std::u32string ReadText(const std::string& name) {
    std::ifstream in(std::string(ORBISK_BENCH_TEXT) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return ocrtrain::DecodeUtf8(s.str());
}

const std::string kArphic = "/usr/share/fonts/truetype/arphic/";
const std::string kNoto = "/usr/share/fonts/opentype/noto/";

struct Row {
    std::string name;
    PageKind kind;
    std::vector<FontSpec> fonts;
    bool traditional = false;
    bool chinese = true;  // ours must match Tesseract's right and wrong counts
    // Targets on the cropped page: at least this share right, at most this share wrong;
    // for pages without text, at least this share without a decision.
    double minRight = 0, maxWrong = 0.02, minUndecided = 0;
};

std::vector<Row> Rows() {
    const auto training = ocrtrain::TrainingFonts();
    const std::vector<FontSpec> uming = {{kArphic + "uming.ttc", "AR PL UMing CN", ""}};
    const std::vector<FontSpec> ukai = {{kArphic + "ukai.ttc", "AR PL UKai CN", ""}};
    std::vector<FontSpec> all = training;
    all.insert(all.end(), uming.begin(), uming.end());
    all.insert(all.end(), ukai.begin(), ukai.end());
    const std::vector<FontSpec> tcTraining = {
        {kNoto + "NotoSansCJK-Regular.ttc", "Noto Sans CJK TC", ""},
        {kNoto + "NotoSerifCJK-Regular.ttc", "Noto Serif CJK TC", ""}};
    const std::vector<FontSpec> tcUnseen = {{kArphic + "uming.ttc", "AR PL UMing TW", ""},
                                            {kArphic + "ukai.ttc", "AR PL UKai TW", ""}};
    const std::vector<FontSpec> latin = {
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVu Sans", ""},
        {"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", "Liberation Serif",
         ""},
        {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "Liberation Sans",
         ""}};
    std::vector<Row> rows;
    rows.push_back(
        {"dense SC, training fonts", PageKind::kDense, training, false, true, 0.98, 0.01});
    rows.push_back({"dense SC, AR PL UMing", PageKind::kDense, uming, false, true, 0.98, 0.01});
    rows.push_back({"dense SC, AR PL UKai", PageKind::kDense, ukai, false, true, 0.98, 0.01});
    rows.push_back({"sparse SC, training fonts", PageKind::kSparse, training});
    rows.push_back({"sparse SC, UMing + UKai", PageKind::kSparse, {uming[0], ukai[0]}});
    rows.push_back({"traditional, Noto CJK TC", PageKind::kDense, tcTraining, true});
    rows.push_back({"traditional, UMing + UKai TW", PageKind::kDense, tcUnseen, true});
    rows.push_back({"tables SC, all fonts", PageKind::kTable, all});
    rows.push_back({"mixed SC/EN, all fonts", PageKind::kMixed, all});
    rows.push_back({"Latin text", PageKind::kLatin, latin, false, false});
    rows.push_back({"blank pages", PageKind::kBlank, training, false, false, 0, 1, 0.95});
    rows.push_back({"photographs", PageKind::kPhoto, training, false, false, 0, 1, 0.95});
    return rows;
}

struct Tally {
    long right = 0, wrong = 0, none = 0;
    std::vector<double> ms;
    void Add(bool decided, bool correct, double elapsed) {
        if (!decided) {
            ++none;
        } else if (correct) {
            ++right;
        } else {
            ++wrong;
        }
        ms.push_back(elapsed);
    }
    long Pages() const { return right + wrong + none; }
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Tesseract's orientation detection, counted as a decision at a confidence of 2 or more.
class TesseractOsd {
  public:
    bool Init() {
        return api_.Init(nullptr, "osd") == 0 &&
               (api_.SetPageSegMode(tesseract::PSM_OSD_ONLY), true);
    }
    bool Detect(const cv::Mat& image, int* angle) {
        cv::Mat grey;
        if (image.channels() == 3) {
            cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        } else {
            grey = image.clone();
        }
        // An A4 page across the frame's height: about 160 dots per inch. Given to the
        // picture itself, since the orientation search reads it from there.
        Pix* pix = pixCreate(grey.cols, grey.rows, 8);
        for (int y = 0; y < grey.rows; ++y) {
            const uchar* src = grey.ptr<uchar>(y);
            l_uint32* line = pixGetData(pix) + static_cast<size_t>(y) * pixGetWpl(pix);
            for (int x = 0; x < grey.cols; ++x) SET_DATA_BYTE(line, x, src[x]);
        }
        pixSetResolution(pix, 160, 160);
        api_.SetImage(pix);
        int degrees = 0;
        float confidence = 0, scriptConfidence = 0;
        const char* script = nullptr;
        const bool ok =
            api_.DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
        api_.Clear();
        pixDestroy(&pix);
        // Tesseract reports how far the image is turned clockwise: turned back
        // counter-clockwise by as much, it reads upright.
        *angle = degrees;
        return ok && confidence >= 2.0f;
    }

  private:
    tesseract::TessBaseAPI api_;
};

struct Options {
    int pages = 40;
    int threads = 3;
    std::string rows;
    bool tesseract = true;
    bool speedOnly = false;
    int previewSeconds = 8;
    std::string savePages;  // a folder for the first page of each row, as examined
    bool verbose = false;   // a line per page
};

struct Worker {
    std::map<std::string, std::unique_ptr<GlyphFont>> fonts;
    CDocOCR ocr;
    TesseractOsd osd;
    bool osdReady = false;
    const GlyphFont* Font(const FontSpec& spec) {
        auto& f = fonts[spec.file + "|" + spec.family];
        if (!f) f = GlyphFont::Open(spec);
        return f.get();
    }
};

std::string TemplatePath() {
    return platform::ResourcePath(QString::fromLatin1(kOrientationTemplateName)).toStdString();
}

template <typename F>
double TimeMs(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Cell(const Tally& t) {
    char s[64];
    const double n = std::max<long>(1, t.Pages());
    std::snprintf(s, sizeof s, "%5.1f / %4.1f / %5.1f", 100.0 * t.right / n, 100.0 * t.wrong / n,
                  100.0 * t.none / n);
    return s;
}

void Accuracy(const Options& options, const PageTexts& sc, const PageTexts& tc) {
    std::vector<Row> rows;
    for (const Row& r : Rows()) {
        if (options.rows.empty() || r.name.find(options.rows) != std::string::npos)
            rows.push_back(r);
    }
    // Ours and Tesseract's, on the cropped page and on the whole frame.
    struct RowTally {
        Tally ours, theirs, oursWhole, theirsWhole;
        std::map<int, Tally> oursBySize, theirsBySize;  // cropped, by body text size band
    };
    std::vector<RowTally> tallies(rows.size());
    std::mutex mutex;
    std::vector<Worker> workers(options.threads);
    for (Worker& w : workers) {
        if (!w.ocr.Initialize(TemplatePath().c_str())) {
            std::fprintf(stderr, "no template at %s\n", TemplatePath().c_str());
            std::exit(1);
        }
        w.osdReady = options.tesseract && w.osd.Init();
    }
    struct Job {
        size_t row;
        int page;
    };
    std::vector<Job> jobs;
    for (size_t r = 0; r < rows.size(); ++r)
        for (int p = 0; p < options.pages; ++p) jobs.push_back({r, p});
    std::atomic<size_t> next{0};
    auto work = [&](int t) {
        cv::setNumThreads(1);
        Worker& w = workers[t];
        for (size_t j = next++; j < jobs.size(); j = next++) {
            const Row& row = rows[jobs[j].row];
            PageRequest request;
            request.kind = row.kind;
            request.texts = row.traditional ? &tc : &sc;
            request.font = w.Font(row.fonts[jobs[j].page % row.fonts.size()]);
            request.turn = 90 * (jobs[j].page % 4);
            request.seed = 1000 + jobs[j].row * 100000 + jobs[j].page;
            const CameraPage camera = PhotographPage(request);
            cv::Mat page;
            const double cropMs = TimeMs([&] { page = OrientationPage(camera.frame); });
            if (!options.savePages.empty() && jobs[j].page < 4) {
                const std::string base = options.savePages + "/row" + std::to_string(jobs[j].row) +
                                         "-" + std::to_string(jobs[j].page);
                // At half size, to look at.
                cv::Mat half;
                cv::resize(camera.frame, half, {}, 0.5, 0.5, cv::INTER_AREA);
                cv::imwrite(base + "-frame.png", half);
                cv::resize(page, half, {}, 0.5, 0.5, cv::INTER_AREA);
                cv::imwrite(base + "-page.png", half);
            }
            int angle = -1;
            bool decided = false;
            double ms = TimeMs([&] { decided = w.ocr.Detect(page, &angle, false); });
            const bool right = decided && angle == request.turn;
            int wholeAngle = -1;
            bool wholeDecided = false;
            const double wholeMs =
                TimeMs([&] { wholeDecided = w.ocr.Detect(camera.frame, &wholeAngle, false); });
            int tAngle = -1, tWholeAngle = -1;
            bool tDecided = false, tWholeDecided = false;
            double tMs = 0, tWholeMs = 0;
            if (w.osdReady) {
                tMs = TimeMs([&] { tDecided = w.osd.Detect(page, &tAngle); });
                tWholeMs =
                    TimeMs([&] { tWholeDecided = w.osd.Detect(camera.frame, &tWholeAngle); });
            }
            std::lock_guard lock(mutex);
            if (options.verbose) {
                std::printf(
                    "%s page %d turn %d em %d: frame %dx%d page %dx%d: ours %s %d, "
                    "whole %s %d; Tesseract %s %d, whole %s %d\n",
                    row.name.c_str(), jobs[j].page, request.turn, camera.charPixels,
                    camera.frame.cols, camera.frame.rows, page.cols, page.rows,
                    decided ? "decided" : "none", angle, wholeDecided ? "decided" : "none",
                    wholeAngle, tDecided ? "decided" : "none", tAngle,
                    tWholeDecided ? "decided" : "none", tWholeAngle);
            }
            RowTally& tally = tallies[jobs[j].row];
            tally.ours.Add(decided, right, cropMs + ms);
            tally.oursWhole.Add(wholeDecided, wholeAngle == request.turn, wholeMs);
            if (w.osdReady) {
                tally.theirs.Add(tDecided, tAngle == request.turn, tMs);
                tally.theirsWhole.Add(tWholeDecided, tWholeAngle == request.turn, tWholeMs);
            }
            if (camera.charPixels > 0) {
                const int band = camera.charPixels < 22 ? 0 : camera.charPixels < 30 ? 1 : 2;
                tally.oursBySize[band].Add(decided, right, ms);
                if (w.osdReady) tally.theirsBySize[band].Add(tDecided, tAngle == request.turn, tMs);
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < options.threads; ++t) pool.emplace_back(work, t);
    work(0);
    for (auto& t : pool) t.join();

    std::printf(
        "\nRight / wrong / no decision, %% of %d pages per row (a quarter in each turn)\n\n",
        options.pages);
    std::printf(
        "| row | ours, cropped page | Tesseract OSD, cropped page | ours, whole frame | "
        "Tesseract OSD, whole frame | target (cropped) |\n|---|---|---|---|---|---|\n");
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const RowTally& t = tallies[r];
        const double n = std::max<long>(1, t.ours.Pages());
        bool met = t.ours.wrong <= row.maxWrong * n && t.ours.right >= row.minRight * n &&
                   t.ours.none >= row.minUndecided * n;
        if (row.chinese && options.tesseract) {
            met = met && t.ours.right >= t.theirs.right && t.ours.wrong <= t.theirs.wrong;
        }
        std::string target;
        char buf[96];
        if (row.minUndecided > 0) {
            std::snprintf(buf, sizeof buf, "none >= %.0f%%", 100 * row.minUndecided);
        } else if (row.minRight > 0) {
            std::snprintf(buf, sizeof buf, "right >= %.0f%%, wrong <= %.0f%%", 100 * row.minRight,
                          100 * row.maxWrong);
        } else {
            std::snprintf(buf, sizeof buf, "wrong <= %.0f%%", 100 * row.maxWrong);
        }
        target = buf;
        if (row.chinese && options.tesseract) target += ", >= Tesseract";
        std::printf("| %s | %s | %s | %s | %s | %s: %s |\n", row.name.c_str(), Cell(t.ours).c_str(),
                    options.tesseract ? Cell(t.theirs).c_str() : "-", Cell(t.oursWhole).c_str(),
                    options.tesseract ? Cell(t.theirsWhole).c_str() : "-", target.c_str(),
                    met ? "met" : "MISSED");
    }
    std::printf(
        "\nThe cropped page by body text size in the frame (pixels per em): ours, "
        "then Tesseract's; pages in brackets\n\n");
    std::printf("| row | < 22 px | 22-29 px | >= 30 px |\n|---|---|---|---|\n");
    for (size_t r = 0; r < rows.size(); ++r) {
        for (const auto* bands : {&tallies[r].oursBySize, &tallies[r].theirsBySize}) {
            if (bands->empty()) continue;
            std::printf("| %s, %s |", rows[r].name.c_str(),
                        bands == &tallies[r].oursBySize ? "ours" : "Tesseract");
            for (int band = 0; band < 3; ++band) {
                auto it = bands->find(band);
                if (it == bands->end()) {
                    std::printf(" - |");
                } else {
                    std::printf(" %s (%ld) |", Cell(it->second).c_str(), it->second.Pages());
                }
            }
            std::printf("\n");
        }
    }
    std::printf(
        "\nMedian milliseconds per page, %d threads side by side (see the speed part "
        "for one core alone)\n\n| row | ours: crop + detect | Tesseract, cropped | ours, whole | "
        "Tesseract, whole |\n|---|---|---|---|---|\n",
        options.threads);
    for (size_t r = 0; r < rows.size(); ++r) {
        const RowTally& t = tallies[r];
        std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", rows[r].name.c_str(), Median(t.ours.ms),
                    Median(t.theirs.ms), Median(t.oursWhole.ms), Median(t.theirsWhole.ms));
    }
}

// One core: the detector on 5 MP frames, a whole thread cycle, and Tesseract.
void Speed(const Options& options, const PageTexts& sc) {
    cv::setNumThreads(1);
    Worker w;
    if (!w.ocr.Initialize(TemplatePath().c_str())) return;
    w.osdReady = options.tesseract && w.osd.Init();
    const auto training = ocrtrain::TrainingFonts();
    std::vector<double> detect, cycle, tess, detectBlank, cycleBlank;
    for (int p = 0; p < 24; ++p) {
        PageRequest request;
        request.kind = PageKind::kDense;
        request.texts = &sc;
        request.font = w.Font(training[p % training.size()]);
        request.turn = 90 * (p % 4);
        request.seed = 77 + p;
        const CameraPage camera = PhotographPage(request);
        int angle = 0;
        detect.push_back(TimeMs([&] { w.ocr.Detect(camera.frame, &angle, false); }));
        cycle.push_back(
            TimeMs([&] { w.ocr.Detect(OrientationPage(camera.frame), &angle, false); }));
        // Tesseract on the cropped page: on the whole frame it hardly ever decides.
        const cv::Mat page = OrientationPage(camera.frame);
        if (w.osdReady) tess.push_back(TimeMs([&] { w.osd.Detect(page, &angle); }));
        request.kind = p % 2 ? PageKind::kBlank : PageKind::kPhoto;
        const CameraPage empty = PhotographPage(request);
        detectBlank.push_back(TimeMs([&] { w.ocr.Detect(empty.frame, &angle, false); }));
        cycleBlank.push_back(
            TimeMs([&] { w.ocr.Detect(OrientationPage(empty.frame), &angle, false); }));
    }
    std::printf("\nOne core, 2592 x 1944 frames, median of 24 (max in brackets)\n\n");
    auto line = [](const char* what, const std::vector<double>& v, const char* target) {
        if (v.empty()) return;
        std::printf("| %s | %.1f ms (%.1f) | %s |\n", what, Median(v),
                    *std::max_element(v.begin(), v.end()), target);
    };
    std::printf("| what | median (max) | target |\n|---|---|---|\n");
    line("Detect, dense text page, whole 5 MP frame", detect, "<= 50 ms");
    line("thread cycle (crop + Detect), dense text page", cycle, "<= 150 ms");
    line("Detect, blank page or photograph, whole frame", detectBlank, "");
    line("thread cycle, blank page or photograph", cycleBlank, "<= 150 ms");
    line("Tesseract OSD, dense text page, cropped page", tess, "");
    if (!tess.empty()) {
        std::printf(
            "\nTesseract on the cropped page / our whole thread cycle: %.1fx (target >= 4x)\n",
            Median(tess) / std::max(1e-6, Median(cycle)));
    }
}

// Frames the preview paints per second on the simulated camera at 5 MP, without and with
// the orientation thread watching it.
void PreviewRate(const Options& options, const PageTexts& sc) {
    if (options.previewSeconds <= 0) return;
    qputenv("ORBISK_CAMERA", "simulated");
    platform::SimulatedCamera::Reset();
    platform::SimulatedCamera::SetFrameRate(15);
    platform::SetVideoRegistryForTesting(std::shared_ptr<platform::VideoRegistry>(
        &platform::SimulatedCamera::Registry(), [](platform::VideoRegistry*) {}));
    // A dense page turned a quarter, again and again.
    auto font = GlyphFont::Open(ocrtrain::TrainingFonts()[0]);
    PageRequest request;
    request.texts = &sc;
    request.font = font.get();
    request.turn = 90;
    const cv::Mat frame = PhotographPage(request).frame;
    QWidget parent;
    parent.resize(1280, 800);
    parent.show();
    CCameraController controller(1, 0);
    controller.SetResolution(2592, 1944);
    if (controller.Open(&parent, platform::kSimulatedVendorId,
                        platform::kSimulatedDocumentProductId, "", 0, 0, 1280, 800, false,
                        0) != 0) {
        std::printf("\npreview: no simulated camera\n");
        return;
    }
    controller.Run();
    // Frames the preview took in and handed to its canvas.
    auto* preview = dynamic_cast<CShowVideoPro*>(controller.Preview());
    if (!preview) {
        std::printf("\npreview: none\n");
        return;
    }
    auto measure = [&](double seconds) {
        platform::SimulatedCamera::QueueFrames(
            platform::kSimulatedDocumentProductId,
            std::vector<cv::Mat>(static_cast<size_t>(seconds * 15 + 30), frame));
        // Warm up, then count frames the preview took in.
        const auto until = [&](double s) {
            const auto end = Clock::now() + std::chrono::duration<double>(s);
            while (Clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        };
        until(1.0);
        const long before = preview->FramesShown();
        until(seconds);
        return (preview->FramesShown() - before) / seconds;
    };
    const double without = measure(options.previewSeconds);
    auto camera = std::make_shared<OrientationCamera>(nullptr);
    // The thread reads the controller through the main window's camera port.
    struct Port : CameraPort {
        CCameraController* c;
        explicit Port(CCameraController* c) : c(c) {}
        int CountDevices(const QString&, const QString&) override { return 1; }
        QSize LargestFrameSize(const QString&, const QString&) override { return {}; }
        int SetResolution(int, int) override { return 0; }
        void SetFormatPreference(int) override {}
        int Open(QWidget*, const QString&, const QString&, const IntRect&, bool, int) override {
            return 0;
        }
        bool GetFormats(std::vector<int>&) override { return true; }
        bool Run() override { return true; }
        bool Stop() override { return true; }
        bool ShowPreview(bool) override { return true; }
        bool SetCropMargins(int, int, int, int) override { return true; }
        int GetCameraControlRange(int, platform::PropertyRange&) override { return 0; }
        int GetCameraControl(int, int&, int&) override { return -1; }
        void ShowDevicePropertyPage(QWidget*) override {}
        void ShowFormatPropertyPage(QWidget*) override {}
        bool IsAutoDetectOn() const override { return false; }
        void SetLostHandler(std::function<void()>) override {}
        int SetCameraControl(int, int) override { return 0; }
        void SetRotation(int) override {}
        void SetAutoDetect(bool, int, float) override {}
        void EnableCustomCropBox(bool) override {}
        bool GetCustomCropRect(IntRect&) override { return false; }
        bool SetCustomCropRect(const IntRect&, bool) override { return true; }
        void SetPreviewRect(const IntRect&) override {}
        void MovePreview() override {}
        void GetResolution(int&, int&) override {}
        cv::Mat GetFrame() override { return c->GetFrame(); }
        std::vector<cv::Mat> GetCroppedImages() override { return {}; }
        std::unique_ptr<IRecordingCamera> Recorder() override { return nullptr; }
    } port(&controller);
    camera = std::make_shared<OrientationCamera>(&port);
    QObject sink;
    platform::WorkerThread thread;
    thread.Start([camera, &sink](platform::WorkerThread::Context& c) {
        RunOrientation(c, *camera, MakeDocOcrDetector, TemplatePath(), &sink);
    });
    const double with = measure(options.previewSeconds);
    thread.Stop();
    controller.Stop();
    std::printf(
        "\nPreview at 2592 x 1944, 15 frames/s offered: %.1f frames/s alone, %.1f with the "
        "orientation thread (%.0f%%; target >= 90%%)\n",
        without, with, 100.0 * with / std::max(1e-6, without));
    platform::SetVideoRegistryForTesting(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tesseract on one core, as ours.
    if (qEnvironmentVariableIsEmpty("OMP_THREAD_LIMIT")) qputenv("OMP_THREAD_LIMIT", "1");
    QApplication app(argc, argv);
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--pages") {
            options.pages = std::max(4, std::atoi(value().c_str()));
        } else if (a == "--threads") {
            options.threads = std::max(1, std::atoi(value().c_str()));
        } else if (a == "--rows") {
            options.rows = value();
        } else if (a == "--no-tesseract") {
            options.tesseract = false;
        } else if (a == "--speed-only") {
            options.speedOnly = true;
        } else if (a == "--verbose") {
            options.verbose = true;
        } else if (a == "--save-pages") {
            options.savePages = value();
        } else if (a == "--preview-seconds") {
            options.previewSeconds = std::atoi(value().c_str());
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    PageTexts sc{ReadText("sc.txt"), ReadText("en.txt")};
    PageTexts tc{ReadText("tc.txt"), ReadText("en.txt")};
    if (sc.chinese.empty() || tc.chinese.empty() || sc.english.empty()) {
        std::fprintf(stderr, "no page texts in %s\n", ORBISK_BENCH_TEXT);
        return 1;
    }
    std::printf("template: %s\n", TemplatePath().c_str());
    if (!options.speedOnly) Accuracy(options, sc, tc);
    Speed(options, sc);
    PreviewRate(options, sc);
    return 0;
}

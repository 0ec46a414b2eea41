// Page text recognition as the text-recognition command runs it: accuracy on
// pages this program renders (Chinese and English; clean at 300 dpi, and as
// the camera sees them on the desk, after the command's own crop), against
// plain Tesseract on the whole camera frame; the time of an A4 page at 300 dpi
// on one core; and how long the window's event loop stalls meanwhile. The
// process runs on one core throughout (the first benchmark pins it before
// Tesseract's OpenMP threads exist, so they inherit the pin).
//
// Character error rate: edit distance over the characters after NFKC, blanks
// ignored, over the length of the rendered text.

#include "app/main_dlg/background_work.h"
#include "core/sys_settings.h"
#include "documents/capture_variants.h"
#include "documents/image_files.h"
#include "recognition/page_recognizer.h"

#include <benchmark/benchmark.h>
#include <sched.h>
#include <tesseract/baseapi.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace orbisk;

// On one core Tesseract's OpenMP threads only spin against each other; the
// OpenMP runtime reads its limit when the process starts, so the bench runs
// itself again with the limit set.
[[maybe_unused]] const bool kOneOpenMpThread = [] {
    if (std::getenv("OMP_THREAD_LIMIT") != nullptr) return true;
    setenv("OMP_THREAD_LIMIT", "1", 1);
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> words;
    for (std::string word; std::getline(cmdline, word, '\0');) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    return false;  // the limit stays unset: the numbers say so
}();

QApplication& App() {
    static int argc = 1;
    static char name[] = "page_recognition_bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

QTemporaryDir& Scratch() {
    static QTemporaryDir dir;
    return dir;
}

constexpr int kDpi = 300;

struct TextSample {
    const char* name;
    const char* family;
    const char* text;
};

const TextSample kSamples[] = {
    {"zh_camera", "Noto Sans CJK SC",
     "文件摄像头放在桌面上，从上方拍摄纸张。操作员把文件放到镜头下面，主窗口中间显示实时画面，"
     "画面跟随文件移动。按下拍摄按钮以后，程序找到纸张的边缘，把页面裁剪出来并校正倾斜，"
     "然后按照设置的格式保存到文件夹中。每一次拍摄都会在左边的缩略图中增加一张图片，"
     "右键点击缩略图可以打开或者删除对应的文件。"},
    {"zh_settings", "Noto Serif CJK SC",
     "设置对话框包括图像参数、水印参数和高级功能三个页面。图像参数页面可以选择分辨率、"
     "图像质量和文件格式，也可以设置四边的裁剪距离。水印页面决定是否在图像上加入日期或者"
     "自定义文字。高级功能页面用来选择保存位置，以及拍摄时是否播放声音和自动识别条码。"
     "确认以后，新的设置立即写入配置文件。"},
    {"zh_office", "Noto Sans CJK SC",
     "办公室每天都要处理大量的合同、发票和证件。过去需要先用扫描仪逐页扫描，再手工整理文件名，"
     "效率很低。现在只要把纸张放在拍摄台上，连续拍摄功能会在新的页面放稳以后自动拍照，"
     "并把多页内容合成一个文件。文字识别功能还能把页面上的文字保存为文本文件，方便以后检索和编辑"
     "。"},
    {"en_camera", "Liberation Serif",
     "The document camera stands on the desk and looks down on the paper. The operator lays a "
     "page under the lens, and the live picture in the middle of the main window follows it. "
     "A press of the capture button finds the edges of the sheet, cuts the page out, turns it "
     "straight and saves it in the chosen format into the save folder."},
    {"en_settings", "Liberation Sans",
     "The preferences hold three pages: the image parameters, the watermark and the advanced "
     "settings. The first chooses the resolution, the quality and the file format, and the "
     "margins trimmed from each side. The watermark page decides whether the date or a text "
     "of your own is printed on every image that the program saves."},
    {"en_office", "Liberation Serif",
     "Offices handle contracts, invoices and identity cards every day. Scanning each page and "
     "naming the files by hand was slow. Now the sheet lies under the camera, continuous "
     "shooting takes a picture as soon as a new page has come to rest, and the text of a page "
     "can be written into a text file for searching and editing later."},
};

// A page of `widthPx` at 300 dpi with the text in 12 point type; as tall as
// the text needs with a margin.
cv::Mat RenderPage(const TextSample& sample, int widthPx, int minHeightPx = 0) {
    const int margin = kDpi / 2;
    QFont font(QString::fromUtf8(sample.family));
    font.setPixelSize(12 * kDpi / 72);
    const QString text = QString::fromUtf8(sample.text);
    QImage probe(8, 8, QImage::Format_RGB32);
    QPainter measure(&probe);
    measure.setFont(font);
    const QRect box = measure.boundingRect(QRect(0, 0, widthPx - 2 * margin, 100000),
                                           Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    measure.end();
    QImage page(widthPx, std::max(minHeightPx, box.height() + 2 * margin), QImage::Format_RGB888);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(margin, margin, widthPx - 2 * margin, box.height()),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    painter.end();
    cv::Mat rgb(page.height(), page.width(), CV_8UC3, page.bits(), page.bytesPerLine());
    cv::Mat bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
    return bgr;
}

// The page as the camera sees it: on the dark desk at 0.8 of its size, turned
// by 3 degrees, under light that falls off to 70 % across the frame, slightly
// out of focus, with sensor noise.
cv::Mat CameraFrame(const cv::Mat& page, unsigned seed) {
    const double scale = 0.8;
    const cv::Size frameSize(static_cast<int>(page.cols * scale) + 360,
                             static_cast<int>(page.rows * scale) + 300);
    cv::Mat frame(frameSize, CV_8UC3, cv::Scalar(62, 80, 96));
    const cv::Point2f centre(page.cols / 2.0f, page.rows / 2.0f);
    cv::Mat turn = cv::getRotationMatrix2D(centre, 3.0, scale);
    turn.at<double>(0, 2) += frameSize.width / 2.0 - centre.x;
    turn.at<double>(1, 2) += frameSize.height / 2.0 - centre.y;
    cv::warpAffine(page, frame, turn, frameSize, cv::INTER_AREA, cv::BORDER_TRANSPARENT);
    // Uneven light.
    cv::Mat light(frameSize, CV_32FC1);
    for (int y = 0; y < light.rows; ++y) {
        auto* row = light.ptr<float>(y);
        for (int x = 0; x < light.cols; ++x) {
            row[x] = 1.0f -
                     0.3f *
                         (static_cast<float>(x) / light.cols + static_cast<float>(y) / light.rows) /
                         2.0f;
        }
    }
    cv::Mat lit;
    frame.convertTo(lit, CV_32FC3);
    cv::Mat light3;
    cv::merge(std::vector<cv::Mat>{light, light, light}, light3);
    lit = lit.mul(light3);
    cv::GaussianBlur(lit, lit, cv::Size(0, 0), 1.0);
    cv::Mat noise(frameSize, CV_32FC3);
    cv::RNG rng(seed);
    rng.fill(noise, cv::RNG::NORMAL, 0, 4);
    lit += noise;
    cv::Mat out;
    lit.convertTo(out, CV_8UC3);
    return out;
}

std::u32string Normalised(const QString& text) {
    const QString kc = text.normalized(QString::NormalizationForm_KC);
    std::u32string out;
    for (const char32_t c : kc.toStdU32String()) {
        if (!QChar::isSpace(c)) out.push_back(c);
    }
    return out;
}

double ErrorRate(const std::string& reference, const std::string& recognised) {
    const std::u32string ref = Normalised(QString::fromUtf8(reference));
    const std::u32string got = Normalised(QString::fromUtf8(recognised));
    std::vector<std::size_t> row(got.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= ref.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= got.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min(
                {row[j] + 1, row[j - 1] + 1, diagonal + (ref[i - 1] == got[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return ref.empty() ? 0.0 : static_cast<double>(row[got.size()]) / ref.size();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

// Tesseract as it comes: the simplified Chinese models, its defaults, the
// whole picture.
std::string PlainTesseract(const cv::Mat& bgr) {
    tesseract::TessBaseAPI api;
    if (api.Init(DefaultTessdataPath().c_str(), kPageLanguages) != 0) return {};
    api.SetVariable("debug_file", "/dev/null");
    cv::Mat rgb;
    cv::cvtColor(bgr, rgb, cv::COLOR_BGR2RGB);
    api.SetImage(rgb.data, rgb.cols, rgb.rows, 3, static_cast<int>(rgb.step));
    const std::unique_ptr<char[]> text(api.GetUTF8Text());
    api.End();
    return text ? std::string(text.get()) : std::string();
}

std::string Recognise(const cv::Mat& page, const std::string& file) {
    const QString path = Scratch().filePath(QString::fromStdString(file));
    if (!WriteImageFile(path, page)) return {};
    return MODIRecognizeFile(path.toStdString()).value_or(std::string());
}

// The core the process runs on now.
void PinToOneCore() {
    static const int core = sched_getcpu();
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    sched_setaffinity(0, sizeof(one), &one);
}

// A4 at 300 dpi, full of text.
cv::Mat A4Page() {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        text += kSamples[0].text;
        text += kSamples[2].text;
        text += kSamples[1].text;
    }
    static const TextSample a4{"a4", "Noto Sans CJK SC", ""};
    TextSample sample = a4;
    sample.text = text.c_str();
    cv::Mat page = RenderPage(sample, 2480, 3508);
    return page.rowRange(0, 3508).clone();
}

void BM_A4OnOneCore(benchmark::State& state) {
    App();
    PinToOneCore();
    const cv::Mat page = A4Page();
    // 0: a bitmap without a density, as the command writes; 1: a TIFF that
    // declares its 300 dpi.
    const bool tiff = state.range(0) == 1;
    const QString path =
        Scratch().filePath(tiff ? QStringLiteral("a4.tif") : QStringLiteral("a4.bmp"));
    if (tiff) {
        cv::imwrite(path.toStdString(), page,
                    {cv::IMWRITE_TIFF_RESUNIT, 2, cv::IMWRITE_TIFF_XDPI, kDpi,
                     cv::IMWRITE_TIFF_YDPI, kDpi});
    } else {
        WriteImageFile(path, page);
    }
    ProcessPageRecognizer().Start();  // the models load once per process
    for (auto _ : state) {
        benchmark::DoNotOptimize(MODIRecognizeFile(path.toStdString()));
    }
    const char* limit = std::getenv("OMP_THREAD_LIMIT");
    state.counters["openmp_limit"] = limit != nullptr ? std::atoi(limit) : 0;
    state.counters["width"] = page.cols;
    state.counters["height"] = page.rows;
}
BENCHMARK(BM_A4OnOneCore)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(2);

// The longest gap between the ticks of a 10 ms timer on the UI thread while
// the A4 page is recognised behind the progress box, all on one core.
void BM_EventLoopStall(benchmark::State& state) {
    App();
    PinToOneCore();
    const QString path = Scratch().filePath(QStringLiteral("a4.bmp"));
    if (!QFile::exists(path)) WriteImageFile(path, A4Page());
    ProcessPageRecognizer().Start();
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        clock.start();
        tick.start();
        RunBehindProgress(nullptr, QStringLiteral("Recognising"),
                          [&] { benchmark::DoNotOptimize(MODIRecognizeFile(path.toStdString())); });
        tick.stop();
        longest = std::max(longest, clock.elapsed() - last);
        state.counters["longest_stall_ms"] = static_cast<double>(longest);
    }
}
BENCHMARK(BM_EventLoopStall)->Unit(benchmark::kSecond)->Iterations(1);

void BM_CharacterErrorRate(benchmark::State& state) {
    App();
    // The command's crop: automatic, one page.
    SysSettings settings;
    settings.CUTPAGETYPE = int(CropMode::Automatic);
    const SysSettings used = RecognitionSettings(settings, std::nullopt);
    for (auto _ : state) {
        std::vector<double> clean, camera, plain;
        unsigned seed = 1;
        for (const TextSample& sample : kSamples) {
            const cv::Mat page = RenderPage(sample, 1748);
            const cv::Mat frame = CameraFrame(page, seed++);
            const cv::Mat cropped = RecognitionPage(frame, used);
            clean.push_back(ErrorRate(sample.text, Recognise(page, "clean.bmp")));
            camera.push_back(ErrorRate(sample.text, Recognise(cropped, "camera.bmp")));
            plain.push_back(ErrorRate(sample.text, PlainTesseract(frame)));
            std::fprintf(stderr,
                         "%-12s clean %5.2f %%  camera+crop %5.2f %%  plain frame %5.2f %%\n",
                         sample.name, 100 * clean.back(), 100 * camera.back(), 100 * plain.back());
        }
        state.counters["clean_median_%"] = 100 * Median(clean);
        state.counters["clean_mean_%"] = 100 * Mean(clean);
        state.counters["camera_median_%"] = 100 * Median(camera);
        state.counters["camera_mean_%"] = 100 * Mean(camera);
        state.counters["plain_median_%"] = 100 * Median(plain);
        state.counters["plain_mean_%"] = 100 * Mean(plain);
    }
}
BENCHMARK(BM_CharacterErrorRate)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

// JPEG writing and in-memory decoding through libjpeg.
//
// libjpeg reports fatal errors through error_exit, whose default ends the
// process. We replace it with a longjmp back to a recovery point. A longjmp
// must not cross a C++ frame with live destructors, so each recovery point
// lives in a C-style function that holds only plain data; the matrices are
// created by the C++ callers around it.

#include <QFile>
#include <QFileInfo>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "core/image_header.h"
#include "core/text_conversion.h"
#include "documents/image_files.h"
#include "platform/atomic_file.h"
#include "platform/jpeg_decode_limits.h"

namespace orbisk {
namespace {

// libjpeg's standard error manager extended with the recovery point and the
// formatted text of the last error.
struct JpegErrorRecord {
    jpeg_error_mgr pub;
    std::jmp_buf recovery;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
    auto* record = reinterpret_cast<JpegErrorRecord*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, record->message);
    std::longjmp(record->recovery, 1);
}

// Warnings (corrupt data that libjpeg papers over, premature end of data) are
// counted, not printed: the decoder refuses an image that produced any.
extern "C" void JpegCountWarnings(j_common_ptr cinfo, int msgLevel) {
    if (msgLevel < 0) {
        ++cinfo->err->num_warnings;
    }
}

void InitErrorRecord(JpegErrorRecord* record) {
    jpeg_std_error(&record->pub);
    record->pub.error_exit = JpegErrorExit;
    record->pub.emit_message = JpegCountWarnings;
    record->message[0] = '\0';
}

struct CompressJob {
    const unsigned char* pixels;
    std::size_t stride;
    int width;
    int height;
    int channels;  // 1 grey, 3 BGR
    std::uint16_t xDensity;
    std::uint16_t yDensity;
    int quality;
};

// Compresses one image into an open file. No C++ objects live in this frame.
bool CompressJpeg(std::FILE* file, const CompressJob* job) {
    jpeg_compress_struct cinfo;
    JpegErrorRecord error;
    InitErrorRecord(&error);
    cinfo.err = &error.pub;
    if (setjmp(error.recovery) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(job->width);
    cinfo.image_height = static_cast<JDIMENSION>(job->height);
    if (job->channels == 1) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else {
        // libjpeg-turbo takes BGR directly, so no swapped copy is needed.
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job->quality, TRUE);
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;
    cinfo.X_density = job->xDensity;
    cinfo.Y_density = job->yDensity;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->pixels + cinfo.next_scanline * job->stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// Called once the header is known; returns the first row of a matrix of
// height × width × channels bytes and its stride, or null to refuse.
using AllocateRows = unsigned char* (*)(void* context, int width, int height, int channels,
                                        std::size_t* stride);

// Decodes into rows obtained from `allocate`. No C++ objects live in this frame.
bool DecompressJpeg(const unsigned char* data, std::size_t length, AllocateRows allocate,
                    void* context) {
    jpeg_decompress_struct cinfo;
    JpegErrorRecord error;
    jpeg_progress_mgr progress;
    InitErrorRecord(&error);
    cinfo.err = &error.pub;
    if (setjmp(error.recovery) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    platform::LimitJpegDecoding(cinfo, progress);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(length));
    jpeg_read_header(&cinfo, TRUE);

    const long long width = cinfo.image_width;
    const long long height = cinfo.image_height;
    bool acceptable = width >= 1 && height >= 1 && width <= kMaxDecodedJpegSide &&
                      height <= kMaxDecodedJpegSide && width * height <= kMaxDecodedJpegPixels;
    int channels = 0;
    if (cinfo.out_color_space == JCS_GRAYSCALE) {
        channels = 1;
    } else if (cinfo.out_color_space == JCS_RGB) {
        channels = 3;
        cinfo.out_color_space = JCS_EXT_BGR;
    } else {
        acceptable = false;  // CMYK, YCCK
    }
    if (!acceptable) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    jpeg_start_decompress(&cinfo);
    std::size_t stride = 0;
    unsigned char* rows =
        allocate(context, static_cast<int>(cinfo.output_width),
                 static_cast<int>(cinfo.output_height), cinfo.output_components, &stride);
    if (rows == nullptr || cinfo.output_components != channels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rows + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const bool clean = cinfo.err->num_warnings == 0;
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

// Runs inside DecompressJpeg: an exception must not leave that frame, or the
// decompressor would never be released.
unsigned char* AllocateMat(void* context, int width, int height, int channels,
                           std::size_t* stride) noexcept {
    if (channels != 1 && channels != 3) {
        return nullptr;
    }
    auto* mat = static_cast<cv::Mat*>(context);
    try {
        mat->create(height, width, CV_8UC(channels));
    } catch (...) {
        return nullptr;  // out of memory
    }
    *stride = mat->step[0];
    return mat->data;
}

// Decodes the whole stream at 1/8 scale into one small row, only to see
// that every scan is there and sound. No C++ objects live in this frame.
bool CheckJpegStream(std::FILE* file, std::int64_t maxPixels) {
    jpeg_decompress_struct cinfo;
    JpegErrorRecord error;
    jpeg_progress_mgr progress;
    InitErrorRecord(&error);
    cinfo.err = &error.pub;
    if (setjmp(error.recovery) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    platform::LimitJpegDecoding(cinfo, progress);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width < 1 || cinfo.image_height < 1 ||
        static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // The entropy data is read whole either way; the scale saves the rest.
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.do_block_smoothing = FALSE;
    jpeg_start_decompress(&cinfo);
    // One row from the decoder's own pool, released with it.
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, row, 1);
    }
    // Reads on to the end marker: data cut short is a warning here.
    jpeg_finish_decompress(&cinfo);
    const bool clean = cinfo.err->num_warnings == 0;
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

}  // namespace

bool HasJpegSignature(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return false;
    }
    return file.read(3) == QByteArray("\xFF\xD8\xFF", 3);
}

bool JpegFileDecodesWhole(const QString& path) {
    // A pipe or a device would block the read or never end.
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool whole = CheckJpegStream(file, kMaxPagePixels);
    std::fclose(file);
    return whole;
}

bool WriteJpegFile(const QString& path, const cv::Mat& image, QByteArray& writtenPath,
                   std::uint16_t xDensity, std::uint16_t yDensity, int quality) {
    // Refuse before any file is touched, so an existing image survives.
    if (path.isEmpty() || image.empty() || image.depth() != CV_8U ||
        (image.channels() != 1 && image.channels() != 3) || image.dims != 2) {
        return false;
    }
    platform::AtomicFileTarget target(path);
    if (!target.IsValid()) {
        return false;
    }
    std::FILE* file = std::fopen(target.TempPathEncoded().constData(), "wb");
    if (file == nullptr) {
        return false;
    }
    // libjpeg hands over 4 KB at a time; a larger stream buffer saves most of
    // the write calls for a camera page.
    std::setvbuf(file, nullptr, _IOFBF, 256 * 1024);
    const CompressJob job{image.data,       image.step[0], image.cols, image.rows,
                          image.channels(), xDensity,      yDensity,   quality};
    bool ok = CompressJpeg(file, &job);
    ok = (std::fflush(file) == 0) && ok && !std::ferror(file);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok || !target.Commit()) {
        return false;
    }
    writtenPath = WideToAnsi(path);
    return true;
}

cv::Mat DecodeJpegFromMemory(const unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0) {
        return {};
    }
    cv::Mat decoded;
    if (!DecompressJpeg(data, length, AllocateMat, &decoded)) {
        return {};
    }
    return decoded;
}

}  // namespace orbisk

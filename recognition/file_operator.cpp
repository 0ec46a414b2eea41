#include "recognition/file_operator.h"

#include "recognition/ascii_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace orbisk {
namespace {

// Element bytes as stored (little-endian) to and from the host order, in place.
void SwapElementsIfBigEndian(void* data, int64_t count, size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        (void)data;
        (void)count;
        (void)size;
    } else {
        if (size <= 1 || data == nullptr) return;
        auto* bytes = static_cast<unsigned char*>(data);
        for (int64_t i = 0; i < count; ++i) std::reverse(bytes + i * size, bytes + (i + 1) * size);
    }
}

bool ReadInt32(std::FILE* f, int32_t* value) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    const uint32_t u = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    *value = static_cast<int32_t>(u);
    return true;
}

// A regular file opened to read, and its size; null for anything else. The
// open does not wait: a pipe in the template's place would wait for a writer
// for ever, and whoever ends the reading thread with it.
std::FILE* OpenRegularFileToRead(const std::string& path, int64_t* size) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        ::close(fd);
        return nullptr;
    }
    *size = static_cast<int64_t>(info.st_size);
    return f;
}

bool WriteInt32(std::FILE* f, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                static_cast<unsigned char>(u >> 16),
                                static_cast<unsigned char>(u >> 24)};
    return std::fwrite(b, 1, 4, f) == 4;
}

}  // namespace

int CFileOperator::WriteString(const char*) { return 1; }

bool CFileOperator::EndReached() const { return false; }

CCmmFileOperatorImp::~CCmmFileOperatorImp() { Close(); }

int CCmmFileOperatorImp::Open(std::string path, bool write) {
    if (writeStream_ != nullptr || readStream_ != nullptr) return 1;
    if (write) {
        writeStream_ = std::fopen(path.c_str(), "wb");
        return writeStream_ != nullptr ? 0 : 1;
    }
    int64_t size = 0;
    std::FILE* f = OpenRegularFileToRead(path, &size);
    if (f == nullptr) return 1;
    readStream_ = f;
    readRemaining_ = size;
    endReached_ = false;
    return 0;
}

int CCmmFileOperatorImp::Open(std::string path, const char* mode) {
    if (writeStream_ != nullptr || readStream_ != nullptr || mode == nullptr) return 1;
    writeStream_ = std::fopen(path.c_str(), mode);
    return writeStream_ != nullptr ? 0 : 1;
}

OcrMatrixPtr CCmmFileOperatorImp::ReadRecord() {
    endReached_ = false;
    if (readStream_ == nullptr) return nullptr;
    // Nothing at all left is the end of the file; a part of a record is not.
    const int first = std::fgetc(readStream_);
    if (first == EOF) {
        endReached_ = std::feof(readStream_) != 0;
        return nullptr;
    }
    std::ungetc(first, readStream_);
    int32_t rows = 0;
    int32_t cols = 0;
    int32_t type = 0;
    if (!ReadInt32(readStream_, &rows) || !ReadInt32(readStream_, &cols) ||
        !ReadInt32(readStream_, &type)) {
        readRemaining_ = 0;
        return nullptr;
    }
    readRemaining_ -= 12;
    if (rows < 0 || cols < 0) return nullptr;
    const int64_t count = static_cast<int64_t>(rows) * cols;
    const size_t size = OcrElementSize(type);
    if (size == 0 && count > 1) return nullptr;
    // A record larger than what is left of the file cannot arrive whole; refusing it here
    // keeps a corrupt size field from asking for gigabytes.
    if (size != 0 && count > readRemaining_ / static_cast<int64_t>(size)) return nullptr;
    OcrMatrixPtr m(CreateOcrMatrix(type, rows, cols));
    if (!m) return nullptr;
    if (size != 0 && count > 0) {
        const size_t got = std::fread(m->data, size, static_cast<size_t>(count), readStream_);
        readRemaining_ -= static_cast<int64_t>(got * size);
        if (got != static_cast<size_t>(count)) return nullptr;
        SwapElementsIfBigEndian(m->data, count, size);
    }
    return m;
}

int CCmmFileOperatorImp::WriteRecord(const OcrMatrix* m) {
    if (writeStream_ == nullptr || m == nullptr) return 1;
    if (!WriteInt32(writeStream_, m->rows) || !WriteInt32(writeStream_, m->cols) ||
        !WriteInt32(writeStream_, m->type)) {
        return 1;
    }
    const int64_t count = OcrElementCount(m);
    const size_t size = OcrElementSize(m->type);
    if (size == 0 || count <= 0) return 0;
    if (m->data == nullptr) return 1;
    if constexpr (std::endian::native == std::endian::little) {
        const size_t put = std::fwrite(m->data, size, static_cast<size_t>(count), writeStream_);
        return put == static_cast<size_t>(count) ? 0 : 1;
    } else {
        std::vector<unsigned char> bytes(static_cast<const unsigned char*>(m->data),
                                         static_cast<const unsigned char*>(m->data) + count * size);
        SwapElementsIfBigEndian(bytes.data(), count, size);
        return std::fwrite(bytes.data(), 1, bytes.size(), writeStream_) == bytes.size() ? 0 : 1;
    }
}

int CCmmFileOperatorImp::WriteString(const char* text) {
    if (text == nullptr) return 1;
    const size_t length = std::strlen(text);
    if (length > static_cast<size_t>(INT32_MAX)) return 1;
    OcrMatrixPtr m(CreateOcrMatrix(kOcrUInt8, 1, static_cast<int>(length)));
    if (!m) return 1;
    if (length > 0) std::memcpy(m->data, text, length);
    return WriteRecord(m.get());
}

int CCmmFileOperatorImp::Close() {
    int result = 0;
    if (writeStream_ != nullptr) {
        // A write that only fails when flushed must not be reported as written.
        if (std::fclose(writeStream_) != 0) result = 1;
        writeStream_ = nullptr;
    }
    if (readStream_ != nullptr) {
        std::fclose(readStream_);
        readStream_ = nullptr;
    }
    readRemaining_ = 0;
    return result;
}

bool ReadKeyRecord(CFileOperator& file, size_t maxLength, std::string* key) {
    OcrMatrixPtr record = file.ReadRecord();
    if (!IsTextRecord(record.get())) return false;
    *key = TextOfRecord(record.get());
    return key->size() <= maxLength;
}

}  // namespace orbisk

#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "recognition/ocr_matrix.h"

namespace orbisk {

// Reader and writer of template record files: a flat sequence of typed matrix records
// (rows, cols, type as signed 32-bit little-endian, then the elements little-endian).
// The int results are 0 for success and 1 for failure.
class CFileOperator {
  public:
    virtual ~CFileOperator() = default;
    // Opens with an fopen mode, for writing.
    virtual int Open(std::string path, const char* mode) = 0;
    virtual int Open(std::string path, bool write) = 0;
    // The next record, or null at the end of the file or for a bad or truncated record.
    virtual OcrMatrixPtr ReadRecord() = 0;
    virtual int WriteRecord(const OcrMatrix* m) = 0;
    virtual int Close() = 0;
    virtual int WriteString(const char* text);
    // Whether the last ReadRecord that gave nothing found the file at its
    // end, not inside a record or at a bad one: a file cut short leaves
    // records missing that its loader would otherwise never miss.
    virtual bool EndReached() const;
};

class CCmmFileOperatorImp : public CFileOperator {
  public:
    CCmmFileOperatorImp() = default;
    ~CCmmFileOperatorImp() override;
    CCmmFileOperatorImp(const CCmmFileOperatorImp&) = delete;
    CCmmFileOperatorImp& operator=(const CCmmFileOperatorImp&) = delete;

    int Open(std::string path, const char* mode) override;
    int Open(std::string path, bool write) override;
    OcrMatrixPtr ReadRecord() override;
    int WriteRecord(const OcrMatrix* m) override;
    int Close() override;
    int WriteString(const char* text) override;
    bool EndReached() const override { return endReached_; }

  private:
    std::FILE* writeStream_ = nullptr;
    std::FILE* readStream_ = nullptr;
    // Bytes of the file not yet read: a record claiming more is refused before allocating.
    int64_t readRemaining_ = 0;
    bool endReached_ = false;
};

// Reads the next record as a text key of at most `maxLength` bytes; false when
// the file ends, the record is not text, or the key is too long.
bool ReadKeyRecord(CFileOperator& file, size_t maxLength, std::string* key);

}  // namespace orbisk

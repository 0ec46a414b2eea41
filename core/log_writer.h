#pragma once

#include <QString>

#include <mutex>

namespace orbisk {

// Appends lines to one text file. Writes from several threads are serialised,
// so lines never interleave. An optional time stamp "%m/%d/%Y %H:%M:%S : "
// begins each line.
class CLogWriter {
  public:
    static constexpr int kBufferSize = 3000;  // a message is cut to 2999 bytes

    // Sets the log file and enables the writer; an existing file of that name
    // is deleted, so that each writer starts a fresh log. Relative names
    // resolve against the current directory (the temporary folder).
    void SetFile(const QString& fileName);
    void SetTimeStamp(bool on) { timeStamp_ = on; }

    // printf-style. 0 when no file is set, the format is null or the file
    // cannot be opened or is no regular file; 1 when the line was written.
    int Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 character.
    static void CutUtf8(std::string& text, size_t maxBytes);

  private:
    std::mutex lock_;
    QString path_;
    bool enabled_ = false;
    bool timeStamp_ = false;
};

}  // namespace orbisk

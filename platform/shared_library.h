#pragma once

#include <QString>

// A shared library opened at run time by its full path, and closed again when
// the object goes. Used for optional outside components that the program
// works without when they are missing.
namespace orbisk::platform {

class SharedLibrary {
  public:
    SharedLibrary() = default;
    ~SharedLibrary() { Close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Opens the library at `path` (never searched for elsewhere: a bare name
    // is refused). False when it is missing or can't be loaded; ErrorText
    // then says why.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

    // The address of an exported symbol, or null.
    void* Symbol(const char* name) const;

    QString ErrorText() const { return error_; }

  private:
    void* handle_ = nullptr;
    QString error_;
};

}  // namespace orbisk::platform

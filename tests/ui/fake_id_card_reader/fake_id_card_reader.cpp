// A stand-in for the identity-card reader library: it answers what the test
// set up. Tests keep their own handle on the library while the dialog loads and
// releases it, so the set-up survives between the dialog's loads.
#include "ui/id_card_reader_api.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int g_result = 0;
std::vector<char16_t> g_record;
std::string g_photo;
bool g_writesPhoto = false;
std::string g_lastPhotoPath;
int g_calls = 0;

}  // namespace

extern "C" {

// The next answers: the result, the units copied into the caller's record
// (never more than the record holds) and the photo file's bytes (none for a
// null photo).
__attribute__((visibility("default"))) void FakeIdCardReaderSetUp(int result,
                                                                  const char16_t* record, int units,
                                                                  const char* photo,
                                                                  long photoLength) {
    g_result = result;
    g_record.assign(record, record + std::max(0, units));
    g_writesPhoto = photo != nullptr;
    g_photo.assign(photo ? photo : "", photo ? static_cast<size_t>(photoLength) : 0);
}

__attribute__((visibility("default"))) const char* FakeIdCardReaderLastPhotoPath() {
    return g_lastPhotoPath.c_str();
}

__attribute__((visibility("default"))) int FakeIdCardReaderCalls() { return g_calls; }

__attribute__((visibility("default"))) int GetPersonMsgW(char16_t* record, const char* photoPath) {
    ++g_calls;
    g_lastPhotoPath = photoPath ? photoPath : "";
    const size_t units = std::min(g_record.size(), static_cast<size_t>(orbisk::kIdCardRecordUnits));
    std::copy(g_record.begin(), g_record.begin() + static_cast<std::ptrdiff_t>(units), record);
    if (g_writesPhoto && photoPath) {
        if (FILE* file = std::fopen(photoPath, "wb")) {
            std::fwrite(g_photo.data(), 1, g_photo.size(), file);
            std::fclose(file);
        }
    }
    return g_result;
}

}  // extern "C"

// The recognition template file: its records, and the MQDF and multi-template
// classifiers that load it (and then recognise with what they loaded).

#include "recognition/file_operator.h"
#include "recognition/ocr_mqdf.h"
#include "recognition/ocr_multi_tpl.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The loaders take a path: the input lives in a memory file.
int memoryFile = -1;
std::string memoryPath;

void Recognise(orbisk::COCRInterface& classifier) {
    std::vector<unsigned char> ink(24 * 24, 0);
    for (int i = 4; i < 20; ++i) ink[i * 24 + i] = ink[i * 24 + 12] = 255;
    char labels[2 * 5 + 1];
    double distances[5];
    classifier.Recognize(ink.data(), 24, 24, labels, 5, distances);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    memoryFile = memfd_create("template", 0);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    memoryPath = "/proc/self/fd/" + std::to_string(memoryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(memoryFile, 0) != 0 ||
        pwrite(memoryFile, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    {
        orbisk::CCmmFileOperatorImp file;
        if (file.Open(memoryPath, false) == 0) {
            while (file.ReadRecord()) {
            }
            file.Close();
        }
    }
    orbisk::COCRMQDF mqdf;
    if (mqdf.Load(memoryPath.c_str())) {
        Recognise(mqdf);
    }
    orbisk::COCRMultiTpl multi;
    if (multi.Load(memoryPath.c_str())) {
        Recognise(multi);
    }
    return 0;
}

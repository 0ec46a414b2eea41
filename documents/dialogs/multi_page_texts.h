#pragma once

namespace orbisk {

// The operator texts of the page-collection dialog in one language (UTF-8).
struct MultiPageTexts {
    const char* caption;
    const char* combine;
    const char* cancel;
    const char* tipPrevFour;
    const char* tipPrevOne;
    const char* tipNextOne;
    const char* tipNextFour;
    const char* deletePage;
    const char* insert;
    const char* beforePage;     // "%1" is the page number
    const char* combineFailed;  // "%1" is the file that could not be written
};

// By language: 0 simplified Chinese, 1 traditional Chinese, 2 English; any
// other index gives the simplified Chinese texts.
const MultiPageTexts& MultiPageTextsFor(int language);

}  // namespace orbisk

#pragma once

// The interface of the identity-card reader library, an outside component
// that the card test dialog loads at run time from "IDCard/libIDCardReader.so"
// beside the program. It exports one C function:
//
//   int GetPersonMsgW(char16_t* record, const char* photoPath);
//
// `record` is a buffer of kIdCardRecordUnits UTF-16 units that the library
// fills with the card's fields at the offsets below, each ending with a NUL
// unless it fills its whole span; `photoPath` (UTF-8, NUL-terminated) is where
// the library writes the card's photo as a BMP file. The answer is 0 when the
// card was read.

extern "C" {
typedef int (*GetPersonMsgWFunction)(char16_t* record, const char* photoPath);
}

namespace orbisk {

inline constexpr const char* kGetPersonMsgWName = "GetPersonMsgW";
inline constexpr int kIdCardRecordUnits = 174;

// Where each field starts in the record; a field ends at the next one's start
// (the last at the record's end).
enum IdCardField : int {
    kIdCardName = 0,
    kIdCardSex = 16,
    kIdCardNation = 18,
    kIdCardBirthDate = 28,
    kIdCardAddress = 38,
    kIdCardNumber = 74,
    kIdCardAuthority = 94,
    kIdCardValidFrom = 110,
    kIdCardValidTo = 120,
};

}  // namespace orbisk

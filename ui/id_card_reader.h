#pragma once

#include "ui/id_card_reader_api.h"

#include <QString>

namespace orbisk {

// The fields of one identity card as the reader library reports them.
struct IdCardRecord {
    QString name;
    QString sex;
    QString nation;
    QString birthDate;
    QString address;
    QString number;
    QString authority;
    QString validFrom;
    QString validTo;
    friend bool operator==(const IdCardRecord&, const IdCardRecord&) = default;
};

// The fields of a record of kIdCardRecordUnits units. Each field ends at its
// first NUL or at the next field's start, whichever comes first, so a field
// the library left unterminated never runs into the next or past the end.
IdCardRecord ParseIdCardRecord(const char16_t* record);

// The card text the test dialog shows, lines ending in "\r\n".
QString FormatIdCardText(const IdCardRecord& record);

// One use of the reader library: loaded, called once, released.
struct IdCardReadResult {
    enum class Status {
        kNoLibrary,  // the library or its function is missing: nothing was asked
        kFailed,     // the library answered non-zero
        kRead,
    };
    Status status = Status::kNoLibrary;
    IdCardRecord record;
};

// "IDCard/libIDCardReader.so" in the program's folder.
QString DefaultIdCardLibraryPath();

// Loads the library at `libraryPath`, deletes any photo left at `photoPath`
// (so a failed read can never show an earlier card's photo), asks for one card
// into a zeroed record and releases the library again.
IdCardReadResult ReadIdCard(const QString& libraryPath, const QString& photoPath);

}  // namespace orbisk

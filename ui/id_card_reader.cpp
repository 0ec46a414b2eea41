#include "ui/id_card_reader.h"

#include "platform/program_folders.h"
#include "platform/shared_library.h"

#include <QFile>

#include <array>
#include <iterator>

namespace orbisk {
namespace {

// Each field's start, in record order, and the record's end.
constexpr std::array<int, 10> kFieldStarts = {
    kIdCardName,   kIdCardSex,       kIdCardNation,    kIdCardBirthDate, kIdCardAddress,
    kIdCardNumber, kIdCardAuthority, kIdCardValidFrom, kIdCardValidTo,   kIdCardRecordUnits};

QString FieldAt(const char16_t* record, int index) {
    const int start = kFieldStarts[index];
    const int end = kFieldStarts[index + 1];
    int length = 0;
    while (start + length < end && record[start + length] != u'\0') {
        ++length;
    }
    return QString::fromUtf16(record + start, length);
}

}  // namespace

IdCardRecord ParseIdCardRecord(const char16_t* record) {
    IdCardRecord r;
    if (!record) {
        return r;
    }
    QString* const fields[] = {&r.name,   &r.sex,       &r.nation,    &r.birthDate, &r.address,
                               &r.number, &r.authority, &r.validFrom, &r.validTo};
    static_assert(std::size(fields) + 1 == kFieldStarts.size());
    for (int i = 0; i < static_cast<int>(std::size(fields)); ++i) {
        *fields[i] = FieldAt(record, i);
    }
    return r;
}

QString FormatIdCardText(const IdCardRecord& r) {
    return QStringLiteral("姓名:%1     性别:%2     民族:%3\r\n").arg(r.name, r.sex, r.nation) +
           QStringLiteral("生日:%1\r\n").arg(r.birthDate) +
           QStringLiteral("号码:%1\r\n").arg(r.number) +
           QStringLiteral("地址:%1\r\n").arg(r.address) +
           QStringLiteral("签发机关:%1\r\n").arg(r.authority) +
           QStringLiteral("有效期:%1至%2\r\n").arg(r.validFrom, r.validTo);
}

QString DefaultIdCardLibraryPath() {
    return platform::ExecutableFolder() + QStringLiteral("/IDCard/libIDCardReader.so");
}

IdCardReadResult ReadIdCard(const QString& libraryPath, const QString& photoPath) {
    IdCardReadResult result;
    platform::SharedLibrary library;
    if (!library.Open(libraryPath)) {
        return result;
    }
    const auto getPersonMsg =
        reinterpret_cast<GetPersonMsgWFunction>(library.Symbol(kGetPersonMsgWName));
    if (!getPersonMsg) {
        return result;
    }
    QFile::remove(photoPath);
    std::array<char16_t, kIdCardRecordUnits> record{};
    const QByteArray photo = QFile::encodeName(photoPath);
    if (getPersonMsg(record.data(), photo.constData()) != 0) {
        result.status = IdCardReadResult::Status::kFailed;
        return result;
    }
    result.status = IdCardReadResult::Status::kRead;
    result.record = ParseIdCardRecord(record.data());
    return result;
}

}  // namespace orbisk

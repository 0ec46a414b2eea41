#include "ui/id_card_test_dlg.h"

#include "core/command_ids.h"
#include "platform/program_folders.h"
#include "platform/shared_library.h"
#include "ui/id_card_reader.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace orbisk {
namespace {

// The fake reader library of the test tree, with a handle of the test's own
// that keeps it (and its set-up) loaded while the dialog loads and releases it.
class FakeReader {
  public:
    FakeReader() {
        EXPECT_TRUE(library_.Open(QStringLiteral(ORBISK_FAKE_ID_CARD_READER)))
            << library_.ErrorText().toStdString();
        setUp_ = reinterpret_cast<SetUp>(library_.Symbol("FakeIdCardReaderSetUp"));
        lastPath_ = reinterpret_cast<LastPath>(library_.Symbol("FakeIdCardReaderLastPhotoPath"));
        calls_ = reinterpret_cast<CallCount>(library_.Symbol("FakeIdCardReaderCalls"));
        EXPECT_TRUE(setUp_ && lastPath_ && calls_);
    }

    // The next read answers `result` with `record` and, when given, this photo.
    void Answer(int result, const std::vector<char16_t>& record, const QByteArray* photo) {
        setUp_(result, record.data(), static_cast<int>(record.size()),
               photo ? photo->constData() : nullptr, photo ? photo->size() : 0);
    }
    QString LastPhotoPath() const { return QString::fromUtf8(lastPath_()); }
    int Calls() const { return calls_(); }

  private:
    using SetUp = void (*)(int, const char16_t*, int, const char*, long);
    using LastPath = const char* (*)();
    using CallCount = int (*)();
    platform::SharedLibrary library_;
    SetUp setUp_ = nullptr;
    LastPath lastPath_ = nullptr;
    CallCount calls_ = nullptr;
};

// A record of kIdCardRecordUnits units with these fields, NUL-terminated.
std::vector<char16_t> Record(const std::vector<std::pair<int, std::u16string>>& fields) {
    std::vector<char16_t> record(kIdCardRecordUnits, u'\0');
    for (const auto& [offset, text] : fields) {
        std::copy(text.begin(), text.end(), record.begin() + offset);
    }
    return record;
}

const std::vector<char16_t> kZhang = Record({{kIdCardName, u"张三"},
                                             {kIdCardSex, u"男"},
                                             {kIdCardNation, u"汉"},
                                             {kIdCardBirthDate, u"19800101"},
                                             {kIdCardAddress, u"北京市东城区某街1号"},
                                             {kIdCardNumber, u"110101198001010011"},
                                             {kIdCardAuthority, u"北京市公安局东城分局"},
                                             {kIdCardValidFrom, u"20100101"},
                                             {kIdCardValidTo, u"20300101"}});

const char* const kZhangText =
    "姓名:张三     性别:男     民族:汉\r\n"
    "生日:19800101\r\n"
    "号码:110101198001010011\r\n"
    "地址:北京市东城区某街1号\r\n"
    "签发机关:北京市公安局东城分局\r\n"
    "有效期:20100101至20300101\r\n";

QByteArray PhotoBytes(QColor colour) {
    QImage photo(30, 40, QImage::Format_RGB888);
    photo.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "BMP");
    return bytes;
}

struct Message {
    QString caption;
    QString text;
};

class CardDialog : public testing::Test {
  protected:
    CardDialog() {
        dlg.SetLibraryPath(QStringLiteral(ORBISK_FAKE_ID_CARD_READER));
        dlg.SetMessageSink([this](const QString& caption, const QString& text) {
            messages.push_back({caption, text});
        });
    }

    QColor PhotoColour() const {
        const QPixmap pixmap = dlg.Photo()->pixmap();
        return pixmap.isNull() ? QColor() : pixmap.toImage().pixelColor(5, 5);
    }

    FakeReader reader;
    CIDCardTestDlg dlg;
    std::vector<Message> messages;
};

TEST_F(CardDialog, ASuccessfulReadShowsTheFieldsAndThePhoto) {
    const QByteArray photo = PhotoBytes(Qt::red);
    reader.Answer(0, kZhang, &photo);
    dlg.OnReadCard();
    EXPECT_EQ(dlg.m_strCardText, QString::fromUtf8(kZhangText));
    EXPECT_EQ(dlg.CardTextEdit()->toPlainText(),
              QString::fromUtf8(kZhangText).replace("\r\n", "\n"));
    EXPECT_EQ(PhotoColour(), QColor(Qt::red));
    EXPECT_EQ(dlg.Photo()->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(messages.empty());
    // The photo goes to a private folder, never the shared current one.
    EXPECT_EQ(reader.LastPhotoPath(), dlg.PhotoPath());
    const QFileInfo path(dlg.PhotoPath());
    EXPECT_TRUE(path.isAbsolute());
    EXPECT_EQ(path.fileName(), "zp.bmp");
    EXPECT_NE(QDir(path.absolutePath()), QDir::current());
    EXPECT_EQ(QFileInfo(path.absolutePath()).permissions() & QFileDevice::ReadOther,
              QFileDevice::Permissions());
}

TEST_F(CardDialog, AFailedReadShowsTheMessageAndClearsTextAndPhoto) {
    const QByteArray photo = PhotoBytes(Qt::red);
    reader.Answer(0, kZhang, &photo);
    dlg.OnReadCard();
    ASSERT_EQ(PhotoColour(), QColor(Qt::red));

    // The library still leaves a photo behind: a failure must not show it.
    reader.Answer(3, kZhang, &photo);
    dlg.OnReadCard();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "提示");
    EXPECT_EQ(messages[0].text, "读取身份证信息失败");
    EXPECT_TRUE(dlg.m_strCardText.isEmpty());
    EXPECT_TRUE(dlg.CardTextEdit()->toPlainText().isEmpty());
    EXPECT_TRUE(dlg.Photo()->pixmap().isNull());
}

// The photo of the last card is deleted before each read: a read that writes
// no photo shows none, not the previous person's.
TEST_F(CardDialog, AReadWithoutAPhotoNeverShowsThePreviousOne) {
    const QByteArray photo = PhotoBytes(Qt::red);
    reader.Answer(0, kZhang, &photo);
    dlg.OnReadCard();
    ASSERT_EQ(PhotoColour(), QColor(Qt::red));
    ASSERT_TRUE(QFile::exists(dlg.PhotoPath()));

    reader.Answer(0, Record({{kIdCardName, u"李四"}}), nullptr);
    dlg.OnReadCard();
    EXPECT_TRUE(dlg.m_strCardText.startsWith(QStringLiteral("姓名:李四 ")));
    EXPECT_TRUE(dlg.Photo()->pixmap().isNull());
    EXPECT_FALSE(QFile::exists(dlg.PhotoPath()));
}

TEST_F(CardDialog, AMissingLibraryChangesNothing) {
    const QByteArray photo = PhotoBytes(Qt::red);
    reader.Answer(0, kZhang, &photo);
    dlg.OnReadCard();
    const int calls = reader.Calls();

    const QString missing = QDir::tempPath() + "/orbisk-no-such-folder/IDCard/libIDCardReader.so";
    for (const QString& path : {missing, QStringLiteral("libIDCardReader.so"), QString()}) {
        SCOPED_TRACE(path.toStdString());
        dlg.SetLibraryPath(path);
        dlg.OnReadCard();
        EXPECT_EQ(dlg.m_strCardText, QString::fromUtf8(kZhangText));
        EXPECT_EQ(PhotoColour(), QColor(Qt::red));
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(QFile::exists(dlg.PhotoPath())) << "the photo is left alone too";
    }
    EXPECT_EQ(reader.Calls(), calls);
}

// A library that fills every unit leaves no field terminated: each field stops
// at the next one's start and the last at the record's end (AddressSanitizer
// sees any read past it).
TEST_F(CardDialog, UnterminatedFieldsStayWithinTheirBounds) {
    const int starts[] = {kIdCardName,    kIdCardSex,        kIdCardNation,    kIdCardBirthDate,
                          kIdCardAddress, kIdCardNumber,     kIdCardAuthority, kIdCardValidFrom,
                          kIdCardValidTo, kIdCardRecordUnits};
    std::vector<char16_t> record(kIdCardRecordUnits);
    for (int field = 0; field < 9; ++field) {
        std::fill(record.begin() + starts[field], record.begin() + starts[field + 1],
                  static_cast<char16_t>(u'A' + field));
    }
    reader.Answer(0, record, nullptr);
    dlg.OnReadCard();
    auto run = [](char letter, int length) { return QString(length, QChar(letter)); };
    const QString expected = "姓名:" + run('A', 16) + "     性别:" + run('B', 2) +
                             "     民族:" + run('C', 10) + "\r\n生日:" + run('D', 10) +
                             "\r\n号码:" + run('F', 20) + "\r\n地址:" + run('E', 36) +
                             "\r\n签发机关:" + run('G', 16) + "\r\n有效期:" + run('H', 10) + "至" +
                             run('I', 54) + "\r\n";
    EXPECT_EQ(dlg.m_strCardText, expected);
}

TEST(IdCardRecord, FieldsEndAtTheirFirstNul) {
    std::vector<char16_t> record = Record({{kIdCardName, u"王五"}, {kIdCardValidTo, u"长期"}});
    // What follows a NUL inside a field is not part of it.
    record[kIdCardName + 3] = u'X';
    const IdCardRecord parsed = ParseIdCardRecord(record.data());
    EXPECT_EQ(parsed.name, "王五");
    EXPECT_EQ(parsed.validTo, "长期");
    EXPECT_TRUE(parsed.sex.isEmpty());
    EXPECT_EQ(ParseIdCardRecord(nullptr), IdCardRecord{});
}

TEST(IdCardDialog, LoadsTheLibraryBesideTheProgramAndNamesItsControls) {
    CIDCardTestDlg dlg;
    EXPECT_EQ(dlg.LibraryPath(), platform::ExecutableFolder() + "/IDCard/libIDCardReader.so");
    EXPECT_EQ(DefaultIdCardLibraryPath(), dlg.LibraryPath());
    EXPECT_EQ(dlg.windowTitle(), "二代证读卡测试");
    EXPECT_EQ(dlg.ReadButton()->text(), "读卡");
    EXPECT_TRUE(dlg.ReadButton()->isDefault());
    EXPECT_EQ(dlg.ReadButton()->objectName(), QString::number(ids::id_card_dlg::IDC_READ_CARD));
    const auto* quit = dlg.findChild<QPushButton*>(QString::number(ids::ID_CANCEL));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text(), "退出");
    EXPECT_TRUE(dlg.CardTextEdit()->isReadOnly());
    EXPECT_EQ(dlg.CardTextEdit()->objectName(), QString::number(ids::id_card_dlg::IDC_CARD_TEXT));
    EXPECT_EQ(dlg.Photo()->objectName(), QString::number(ids::id_card_dlg::IDC_PHOTO));
}

}  // namespace
}  // namespace orbisk

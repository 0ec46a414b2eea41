#include "recognition/file_operator.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace orbisk {
namespace {

std::string PathOf(const test::TempDir& dir, const char* name) {
    return dir.File(name).toStdString();
}

void Append(QByteArray* bytes, int32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes->append(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff));
}

QByteArray Header(int32_t rows, int32_t cols, int32_t type) {
    QByteArray b;
    Append(&b, rows);
    Append(&b, cols);
    Append(&b, type);
    return b;
}

TEST(FileOperatorTest, RoundTripOfEveryElementType) {
    test::TempDir dir;
    const std::string path = PathOf(dir, "t.tpl");
    std::vector<OcrMatrixPtr> written;
    for (int type : {1, 2, 3, 4, 5}) {
        OcrMatrixPtr m(CreateOcrMatrix(type, 2, 3));
        auto* bytes = static_cast<unsigned char*>(m->data);
        for (size_t i = 0; i < 6 * OcrElementSize(type); ++i)
            bytes[i] = static_cast<unsigned char>(i * 37 + type);
        written.push_back(std::move(m));
    }
    written.emplace_back(CreateOcrMatrix(9, 1, 1));  // an unknown type with no elements
    {
        CCmmFileOperatorImp file;
        ASSERT_EQ(file.Open(path, true), 0);
        for (const auto& m : written) ASSERT_EQ(file.WriteRecord(m.get()), 0);
        ASSERT_EQ(file.Close(), 0);
    }
    CCmmFileOperatorImp file;
    ASSERT_EQ(file.Open(path, false), 0);
    for (const auto& m : written) {
        OcrMatrixPtr r = file.ReadRecord();
        ASSERT_TRUE(r);
        EXPECT_EQ(r->type, m->type);
        EXPECT_EQ(r->rows, m->rows);
        EXPECT_EQ(r->cols, m->cols);
        const size_t size = OcrElementSize(m->type) * static_cast<size_t>(OcrElementCount(m.get()));
        if (size > 0) {
            EXPECT_EQ(std::memcmp(r->data, m->data, size), 0);
        }
    }
    EXPECT_FALSE(file.ReadRecord());
}

TEST(FileOperatorTest, GoldenBytesOfAFloatRecord) {
    test::TempDir dir;
    const std::string path = PathOf(dir, "g.tpl");
    OcrMatrixPtr m(CreateOcrMatrix(kOcrFloat, 2, 3));
    const float values[6] = {1.0f, -2.0f, 0.5f, 0.0f, 3.0f, 1.5f};
    std::memcpy(m->data, values, sizeof values);
    CCmmFileOperatorImp file;
    ASSERT_EQ(file.Open(path, true), 0);
    ASSERT_EQ(file.WriteRecord(m.get()), 0);
    ASSERT_EQ(file.WriteString("new"), 0);
    ASSERT_EQ(file.Close(), 0);
    const QByteArray expected = QByteArray::fromHex(
        "02000000"
        "03000000"
        "04000000"
        "0000803f"
        "000000c0"
        "0000003f"
        "00000000"
        "00004040"
        "0000c03f"
        "01000000"
        "03000000"
        "01000000"
        "6e6577");
    EXPECT_EQ(test::ReadBytes(dir.File("g.tpl")).toHex(), expected.toHex());
}

TEST(FileOperatorTest, OpenRefusesASecondStreamAndMissingFiles) {
    test::TempDir dir;
    CCmmFileOperatorImp file;
    EXPECT_EQ(file.Open(PathOf(dir, "none/x.tpl"), false), 1);
    ASSERT_EQ(file.Open(PathOf(dir, "a.tpl"), true), 0);
    EXPECT_EQ(file.Open(PathOf(dir, "a.tpl"), false), 1);
    EXPECT_EQ(file.Open(PathOf(dir, "b.tpl"), "ab"), 1);
    EXPECT_FALSE(file.ReadRecord());
    EXPECT_EQ(file.Close(), 0);
    CFileOperator* base = &file;
    EXPECT_EQ(base->WriteRecord(nullptr), 1);
}

struct BadFileCase {
    const char* name;
    QByteArray bytes;
    int goodRecords;          // records read before reading stops
    bool endReached = false;  // it stops at the end of the file, not inside a record
};

class ReaderBadInputTest : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(ReaderBadInputTest, StopsAtTheBadRecord) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.File("bad.tpl"), GetParam().bytes));
    CCmmFileOperatorImp file;
    ASSERT_EQ(file.Open(PathOf(dir, "bad.tpl"), false), 0);
    for (int i = 0; i < GetParam().goodRecords; ++i) {
        ASSERT_TRUE(file.ReadRecord()) << i;
        EXPECT_FALSE(file.EndReached());
    }
    EXPECT_FALSE(file.ReadRecord());
    EXPECT_EQ(file.EndReached(), GetParam().endReached);
}

QByteArray GoodText() { return Header(1, 2, 1) + QByteArray("ab"); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderBadInputTest,
    ::testing::Values(
        BadFileCase{"Empty", QByteArray(), 0, true},
        BadFileCase{"WholeRecords", GoodText() + GoodText(), 2, true},
        BadFileCase{"OneByteOfTheNextRecord", GoodText() + QByteArray(1, '\x01'), 1},
        BadFileCase{"ShortHeader", GoodText() + QByteArray::fromHex("0100000002"), 1},
        BadFileCase{"TruncatedElements", GoodText() + Header(2, 2, 5) + QByteArray(20, 'x'), 1},
        BadFileCase{"NegativeRows", Header(-1, 4, 1) + QByteArray(4, 'x'), 0},
        BadFileCase{"NegativeCols", Header(1, -4, 1) + QByteArray(4, 'x'), 0},
        // 65536 x 32768 = 2^31 elements wraps in 32 bits; refused for want of bytes.
        BadFileCase{"TwoToThe31Elements", Header(65536, 32768, 1) + QByteArray(64, 'x'), 0},
        BadFileCase{"HugeDoubles", Header(46341, 46341, 5) + QByteArray(64, 'x'), 0},
        BadFileCase{"UnknownTypeWithElements", Header(1, 2, 7), 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbisk

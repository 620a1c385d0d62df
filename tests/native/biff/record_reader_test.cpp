#include <gtest/gtest.h>

#include "native/biff/biff_error.h"
#include "native/biff/continue_reader.h"
#include "native/biff/record_reader.h"
#include "native/biff/stream_builder.h"
#include "native/io/byte_reader.h"

namespace xls::biff {
namespace {

using testing::StreamBuilder;
using Bytes = std::vector<std::uint8_t>;
using Parts = std::vector<std::span<const std::uint8_t>>;

TEST(RecordReader, WalksRecordsAndGathersContinues) {
    StreamBuilder b;
    b.record(0x00FC, {1, 2, 3}).record(0x003C, {4}).record(0x003C, {}).record(0x0203, {9, 9});
    RecordReader reader(b.bytes());
    Record r;
    ASSERT_TRUE(reader.next(r));
    EXPECT_EQ(r.id, 0x00FC);
    EXPECT_EQ(r.offset, 0u);
    EXPECT_EQ(r.data.size(), 3u);
    Parts parts{r.data};
    std::vector<RecordRef> refs;
    reader.takeContinues(parts, refs);
    ASSERT_EQ(parts.size(), 3u);
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0].offset, 7u);
    EXPECT_EQ(refs[1].offset, 12u);
    EXPECT_EQ(refs[1].size, 0u);
    ASSERT_TRUE(reader.next(r));
    EXPECT_EQ(r.id, 0x0203);
    EXPECT_EQ(r.offset, 16u);
    EXPECT_FALSE(reader.next(r));
}

TEST(RecordReader, RejectsRecordsRunningPastTheStream) {
    StreamBuilder b;
    b.record(0x0042, {0xE4, 0x04}).rawHeader(0x00FC, 500).record(0x0000, {1});
    RecordReader reader(b.bytes());
    Record r;
    ASSERT_TRUE(reader.next(r));
    try {
        reader.next(r);
        FAIL() << "no error for a size past the end";
    } catch (const BiffError& e) {
        EXPECT_STREQ(e.what(),
                     "SST record at offset 6: size 500 runs past the end of the stream (5 bytes "
                     "left)");
    }

    const Bytes cut{0x09, 0x08, 0x10};
    RecordReader partial(cut);
    EXPECT_THROW(partial.next(r), BiffError);
    EXPECT_THROW(RecordReader(cut, 4), BiffError);
}

TEST(ContinueReader, FixedFieldsCrossPartBoundaries) {
    const Bytes a{0x34, 0x12, 0x78}, b{}, c{0x56, 0xAA};
    Parts parts{a, b, c};
    ContinueReader in(parts);
    EXPECT_EQ(in.u16(), 0x1234);
    EXPECT_EQ(in.u16(), 0x5678);
    EXPECT_EQ(in.remaining(), 1u);
    EXPECT_EQ(in.u8(), 0xAA);
    EXPECT_TRUE(in.atEnd());
    EXPECT_THROW(in.u8(), io::ReadPastEnd);
}

TEST(ContinueReader, CharactersRestartWithAnOptionByteAfterABoundary) {
    // "ab" compressed, then the CONTINUE switches to 16-bit for "\u3042c".
    const Bytes a{'a', 'b'}, b{0x01, 0x42, 0x30, 'c', 0x00};
    Parts parts{a, b};
    ContinueReader in(parts);
    EXPECT_EQ(in.characters(4, false), "ab\u3042c");
    EXPECT_TRUE(in.atEnd());

    // 16-bit text switching to compressed, the option byte at the very start.
    const Bytes c{}, d{0x00, 'x', 'y'};
    Parts parts2{c, d};
    ContinueReader in2(parts2);
    EXPECT_EQ(in2.characters(2, true), "xy");
}

TEST(ContinueReader, JoinsSurrogatePairsAndSkipsStrayBytes) {
    // U+1F600 as D83D DE00 cut between parts; the first part ends with an
    // odd byte that belongs to no character.
    const Bytes a{0x3D, 0xD8, 0xEE}, b{0x01, 0x00, 0xDE}, e{}, c{0x01, 0x41, 0x00};
    Parts parts{a, b, e, c};
    ContinueReader in(parts);
    EXPECT_EQ(in.characters(3, true), "\U0001F600A");
}

TEST(ContinueReader, CharactersPastTheEndThrow) {
    const Bytes a{'a', 'b'};
    Parts parts{a};
    ContinueReader in(parts);
    EXPECT_THROW(in.characters(3, false), io::ReadPastEnd);
    ContinueReader again(parts);
    EXPECT_THROW(again.characters(2, true), io::ReadPastEnd);
}

}  // namespace
}  // namespace xls::biff

#include "codecs/bytestream.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(MemStream, NeedsABufferBeforeWriting) {
    CMemStream stream;
    EXPECT_EQ(stream.Write("x", 1, 1), 0u);
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_EQ(stream.Tell(), -1);
    EXPECT_TRUE(stream.Eof());
    EXPECT_TRUE(stream.Open());
    EXPECT_FALSE(stream.Open());
    EXPECT_EQ(stream.Write("x", 1, 1), 1u);
}

TEST(MemStream, GrowsAcrossBlockEdges) {
    CMemStream stream;
    stream.Open();
    std::string data(65536, 'a');
    EXPECT_EQ(stream.Write(data.data(), 1, 1), 1u);
    EXPECT_EQ(stream.Write(data.data(), 1, 65535), 65535u);
    EXPECT_EQ(stream.Size(), 65536);
    EXPECT_TRUE(stream.Seek(131071, 0));
    EXPECT_TRUE(stream.PutC('z'));
    EXPECT_EQ(stream.Size(), 131072);
    EXPECT_EQ(stream.GetBuffer(false)[65535], 'a');
    EXPECT_EQ(stream.GetBuffer(false)[131071], 'z');
}

TEST(MemStream, SeekClampsAndMayPassTheEnd) {
    CMemStream stream;
    stream.Open();
    stream.Write("0123456789", 1, 10);
    EXPECT_TRUE(stream.Seek(-10, 0));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_FALSE(stream.Seek(0, 3));
    EXPECT_TRUE(stream.Seek(5, 2));
    EXPECT_EQ(stream.Tell(), 15);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), 1);
    EXPECT_EQ(stream.Write("ab", 1, 2), 2u);
    EXPECT_EQ(stream.Size(), 17);
    EXPECT_EQ(stream.Error(), 0);
}

TEST(MemStream, ReadCountsWholeItems) {
    uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    CMemStream stream(bytes, 6);
    uint8_t out[12] = {};
    EXPECT_EQ(stream.Read(out, 4, 3), 1u);
    EXPECT_EQ(std::memcmp(out, bytes, 6), 0);
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
}

TEST(MemStream, GetSNeedsALineFeedOnTheLastLine) {
    uint8_t text[] = {'a', 'b', '\n', 'c', 'd'};
    CMemStream stream(text, sizeof text);
    char line[16];
    ASSERT_NE(stream.GetS(line, sizeof line), nullptr);
    EXPECT_STREQ(line, "ab\n");
    EXPECT_EQ(stream.GetS(line, sizeof line), nullptr);
    EXPECT_STREQ(stream.GetS(line, 1), "");
}

TEST(MemStream, CallersBufferIsCopiedWhenItMustGrow) {
    uint8_t caller[4] = {'a', 'b', 'c', 'd'};
    {
        CMemStream stream(caller, 4);
        stream.Seek(0, 2);
        EXPECT_EQ(stream.Write("e", 1, 1), 1u);
        EXPECT_EQ(std::memcmp(stream.GetBuffer(false), "abcde", 5), 0);
    } // the grown copy is freed with the stream; the caller's block is untouched
    EXPECT_EQ(caller[0], 'a');
}

TEST(FileStream, LeavesACallersHandleOpen) {
    FILE* file = std::tmpfile();
    {
        CFileStream stream(file);
        EXPECT_TRUE(stream.PutC('x'));
        EXPECT_TRUE(stream.Close());
    }
    EXPECT_EQ(std::fputc('y', file), 'y'); // still open
    std::rewind(file);
    EXPECT_EQ(std::fgetc(file), 'x');
    std::fclose(file);

    CFileStream none;
    EXPECT_EQ(none.Read(nullptr, 1, 1), 0u);
    EXPECT_EQ(none.GetC(), -1);
    EXPECT_EQ(none.Size(), -1);
    EXPECT_FALSE(none.Open("/nonexistent/dir/file", "rb"));
}

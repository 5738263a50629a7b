#include "core/RawRecord.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kavro;

TEST(RawRecord, WordsAreBigEndian)
{
    std::vector<std::uint16_t> words(40);
    for (std::size_t i = 0; i < 40; ++i)
        words[i] = static_cast<std::uint16_t>(i * 1601 + 3);
    words[0] = 0x0FA0;
    words[39] = 0xFFFF;
    std::string bytes = test::rawRecords({words});
    ASSERT_EQ(bytes.size(), 80u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x0F);
    RawWords decoded = decodeRawRecord(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(decoded[0], 4000);
    EXPECT_EQ(decoded[39], 65535);
    for (std::size_t i = 1; i < 39; ++i)
        EXPECT_EQ(decoded[i], words[i]) << i;
}

// Cutting code page 932 text for a console write without splitting a
// character: the pieces written must join into the same text.
#include <gtest/gtest.h>

#include <string>

#include "console/cp932_boundary.hpp"

namespace {

std::size_t whole(const std::string& bytes) { return cp932_whole_prefix(bytes.data(), bytes.size()); }

}  // namespace

TEST(Cp932Boundary, ALeadByteAtTheEndWaitsForItsSecondByte) {
    EXPECT_EQ(whole(""), 0u);
    EXPECT_EQ(whole("abc"), 3u);
    EXPECT_EQ(whole("\x8c\x76"), 2u);   // 計
    EXPECT_EQ(whole("\x8c"), 0u);
    EXPECT_EQ(whole("ab\x8c"), 2u);
    EXPECT_EQ(whole("\xe0"), 0u);        // the upper range of lead bytes
    EXPECT_EQ(whole("\xb1\x8c"), 1u);   // a half-width kana is one byte
}

TEST(Cp932Boundary, SecondBytesThatLookLikeLeadBytes) {
    EXPECT_EQ(whole("\x83\x81"), 2u);          // メ: its second byte is 0x81
    EXPECT_EQ(whole("\x83\x81\x81"), 2u);      // メ, then a lone lead byte
    EXPECT_EQ(whole("\x83\x81\x81\x40"), 4u);  // メ and the ideographic space
    EXPECT_EQ(whole("\x95\x5c\x95"), 2u);      // 表, whose second byte is a backslash
}

TEST(Cp932Boundary, AFullConsolePieceEndingInTheLeadByteOf計) {
    // Mode 3 over 1000000000..1000059887 lists 2891 primes in 32763 bytes
    // and "...計算終了" follows: a 32 KiB piece ends with the lead byte of 計.
    std::string text(32762, '1');
    text += "\x8c\x76\x8e\x5a";
    EXPECT_EQ(cp932_whole_prefix(text.data(), 32763), 32762u);
    EXPECT_EQ(cp932_whole_prefix(text.data() + 32762, text.size() - 32762), 4u);
}

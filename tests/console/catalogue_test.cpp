// The catalogue is code page 932: bytes pinned, including the characters
// whose second byte is a backslash.
#include <gtest/gtest.h>

#include <string>

#include "console/messages.hpp"

std::string bytes_of(const Message& m) { return {m.text, m.size}; }

TEST(Catalogue, HoldsShiftJisBytes) {
    // 表 95 5C, ソ 83 5C, 能 94 5C: a UTF-8 build or a lost backslash shows here.
    EXPECT_EQ(bytes_of(MSG_BANNER_SCREEN).substr(14, 8), "\x89\xe6\x96\xca\x95\x5c\x8e\xa6");
    EXPECT_NE(bytes_of(MSG_MENU).find("\x95\x5c\x8e\xa6"), std::string::npos);
    EXPECT_EQ(bytes_of(MSG_TOO_LARGE), "\x82\x51\x82\x4f\x89\xad\x88\xc8\x8f\xe3\x82\xcc\x90\x94\x82"
                                       "\xcd\x88\xb5\x82\xa6\x82\xdc\x82\xb9\x82\xf1\x81\x42\n");
    EXPECT_EQ(bytes_of(MSG_EXPLAIN_SCANDISK).substr(0, 4), "\x83\x58\x83\x4c");
    EXPECT_EQ(bytes_of(MSG_CLEAR), "\x1b[2J");
    EXPECT_EQ(bytes_of(MSG_LIMIT_NOTICE).substr(12, 2), "\x81\x40");
    EXPECT_EQ(bytes_of(MSG_WRITTEN)[0], '\b');
}

TEST(Catalogue, CompilerWritesCodePage932) {
    // The same conversion the catalogue gets; ソ and 能 also end in 0x5C.
    EXPECT_EQ(std::string("ソ能表"), "\x83\x5c\x94\x5c\x95\x5c");
    EXPECT_EQ(std::string("\u3000"), "\x81\x40");
}

TEST(Catalogue, MenuLengthAndEndings) {
    EXPECT_EQ(MSG_MENU.size, 564u);
    EXPECT_EQ(bytes_of(MSG_MENU).substr(MSG_MENU.size - 7), "... .. ");
    for (const Message* m : {&MSG_ARG_NOT_PRIME, &MSG_LOGGING, &MSG_COUNTING, &MSG_NO_PRIMES,
                             &MSG_SUMMARY, &MSG_TIMES, &MSG_IS_PRIME, &MSG_NOT_PRIME,
                             &MSG_BACK_TO_MENU})
        EXPECT_NE(m->text[m->size - 1], '\n');
}

TEST(Catalogue, EveryMessageIsPresentAndWellFormed) {
    EXPECT_EQ(message_count, 51u);
    std::size_t total = 0;
    for (std::size_t i = 0; i < message_count; ++i) {
        const Message& m = *all_messages[i];
        EXPECT_EQ(std::char_traits<char>::length(m.text), m.size) << i;
        total += m.size;
    }
    EXPECT_EQ(total, 2676u);
}

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

namespace {

bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); }

// How many two-byte characters of the message end in 0x5C; fails on a byte
// that is not code page 932 and on a backslash that is not a second byte.
int backslash_seconds(const Message& m) {
    int found = 0;
    for (std::size_t i = 0; i < m.size; ++i) {
        const auto c = static_cast<unsigned char>(m.text[i]);
        if (!is_lead_byte(c)) {
            EXPECT_TRUE(c < 0x80 && c != 0x5c) << "byte " << i << " of " << std::string(m.text, m.size);
            continue;
        }
        const auto second = static_cast<unsigned char>(m.text[++i]);
        EXPECT_TRUE(i < m.size && second >= 0x40 && second <= 0xfc && second != 0x7f) << i;
        if (second == 0x5c) {
            EXPECT_EQ(c, 0x95) << "only 表 ends in 0x5C in these texts";
            ++found;
        }
    }
    return found;
}

}  // namespace

TEST(Catalogue, EveryTwoByteCharacterEndingInABackslashIsWhereItBelongs) {
    // 表 (95 5C) appears three times in the menu and once in each of these.
    const std::pair<const Message*, int> expected[] = {
        {&MSG_MENU, 3},        {&MSG_EXPLAIN_PURPOSE, 1}, {&MSG_BANNER_BOTH, 1},
        {&MSG_BANNER_SCREEN, 1}, {&MSG_BANNER_FILE, 1},   {&MSG_LOGGING, 1}};
    for (std::size_t i = 0; i < message_count; ++i) {
        const Message* m = all_messages[i];
        int count = 0;
        for (const auto& [message, n] : expected)
            if (message == m) count = n;
        EXPECT_EQ(backslash_seconds(*m), count) << std::string(m->text, m->size);
    }
}

TEST(Catalogue, SomeMessagesInFull) {
    EXPECT_EQ(bytes_of(MSG_LOGGING), "\x89\xe6\x96\xca\x95\x5c\x8e\xa6\x82\xc8\x82\xb5\x82\xc5\x81\x41"
                                     "\x8d\x82\x91\xac\x83\x8d\x83\x4f\x8e\xe6\x82\xe8\x92\x86\x82\xc5"
                                     "\x82\xb7\x81\x42");
    EXPECT_EQ(bytes_of(MSG_FACTOR_HEAD), "\n\n\x81\x99\x91\x66\x88\xf6\x90\x94\x95\xaa\x89\xf0\x82\xcd\x81\x99\n 1");
    EXPECT_EQ(bytes_of(MSG_AVERAGE).substr(0, 20), "\x82\xb1\x82\xcc\x8b\xe6\x8a\xd4\x82\xc9\x95\xbd\x8b\xcf"
                                                    "\x82\xb5\x82\xc4 %");
}

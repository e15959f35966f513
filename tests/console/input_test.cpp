// Line input and validated number entry against scripted standard input.
#include <gtest/gtest.h>

#include <string>

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/number_entry.hpp"
#include "support/console_capture.hpp"

std::string line_of(ConsoleCapture&) {
    char buffer[line_buffer_size];
    const std::size_t length = read_line(buffer);
    EXPECT_EQ(buffer[length], '\0');
    return {buffer, length};
}

TEST(ReadLine, SplitsLinesAndDropsOnlyTheCrBeforeTheLf) {
    ConsoleCapture console("one\r\ntwo\n\nx\ry\r\r\nlast\r");
    EXPECT_EQ(line_of(console), "one");
    EXPECT_EQ(line_of(console), "two");
    EXPECT_EQ(line_of(console), "");
    EXPECT_EQ(line_of(console), "x\ry\r");
    EXPECT_EQ(line_of(console), "last\r");
    EXPECT_THROW(line_of(console), InputEnded);
}

TEST(ReadLine, KeepsThe255FirstBytesOfALongerLine) {
    const std::string longer(255, 'a');
    ConsoleCapture console(longer + "bcd\n" + std::string(254, 'z') + "\r\n" + longer + "\r\nnext");
    EXPECT_EQ(line_of(console), longer);
    EXPECT_EQ(line_of(console), std::string(254, 'z'));
    EXPECT_EQ(line_of(console), longer);
    EXPECT_EQ(line_of(console), "next");
}

TEST(ReadInteger, ConvertsTheLine) {
    ConsoleCapture console("-1\nabc\n\n4294967297\n");
    EXPECT_EQ(read_integer(), -1);
    EXPECT_EQ(read_integer(), 0);
    EXPECT_EQ(read_integer(), 0);
    EXPECT_EQ(read_integer(), 1);
}

// Feeds one entry (and the Enter of a possible pause) to read_valid_number.
struct Entry {
    Number value;
    std::string screen;
};

Entry enter(const std::string& line) {
    ConsoleCapture console(line + "\n\n");
    const Number value = read_valid_number();
    return {value, console.screen()};
}

TEST(ReadValidNumber, AcceptsNumbersFrom1To2000000000) {
    const std::pair<const char*, Number> accepted[] = {
        {"2000000000", 2000000000}, {"1", 1}, {"+7", 7}, {"   7", 7}, {"7abc", 7}, {"7 8", 7},
        {"07", 7}, {"1e3", 1}, {"1d3", 1}, {"1e-310", 1}, {"2e9", 2}, {"0.5", 0}};
    for (const auto& [line, value] : accepted) {
        const Entry e = enter(line);
        EXPECT_EQ(e.value, value) << line;
        EXPECT_EQ(e.screen, "") << line;
    }
}

TEST(ReadValidNumber, ExplainsEachRejectionAndPauses) {
    const std::string not_positive = "数値を入力してください。または負数は扱いません。\n",
                      too_large = "２０億以上の数は扱えません。\n",
                      too_many_digits = "１１桁以上は、非対応です。\n",
                      pause = "       Enter、または、return で、復帰します・・・・\n";
    const std::pair<std::string, const std::string*> rejected[] = {
        {"", &not_positive},          {"0", &not_positive},
        {"-5", &not_positive},        {"-0", &not_positive},
        {"abc", &not_positive},       {"１２", &not_positive},
        {"1e-400", &not_positive},    {"inf", &not_positive},
        {"2000000001", &too_large},   {"9999999999", &too_large},
        {"2.1e9", &too_large},        {"1e999", &too_large},
        {"12345678901", &too_many_digits}, {" 2000000000", &too_many_digits},
        {"2000000000\r\r", &too_many_digits}, {"１２３４５６", &too_many_digits}};
    for (const auto& [line, complaint] : rejected) {
        const Entry e = enter(line);
        EXPECT_EQ(e.value, 0u) << line;
        EXPECT_EQ(e.screen, crlf(*complaint + pause)) << line;
    }
}

TEST(ReadValidNumber, ThePauseConsumesTheNextLine) {
    ConsoleCapture console("abc\n5\n6\n");
    EXPECT_EQ(read_valid_number(), 0u);
    EXPECT_EQ(read_valid_number(), 6u);
}

TEST(ReadLine, CtrlZEndsTheInputOnlyOnWindows) {
    // On Windows standard input is a text stream: Ctrl+Z ends it where it
    // stands, the bytes before it on its line being the last line.
    ConsoleCapture console("7\nab\x1a" "cd\n\x1a\n9\n");
    EXPECT_EQ(line_of(console), "7");
#ifdef _WIN32
    EXPECT_EQ(line_of(console), "ab");
#else
    EXPECT_EQ(line_of(console), "ab\x1a" "cd");
    EXPECT_EQ(line_of(console), "\x1a");
    EXPECT_EQ(line_of(console), "9");
#endif
    EXPECT_THROW(line_of(console), InputEnded);
}

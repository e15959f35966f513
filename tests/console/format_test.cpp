// Message formatting: conversions, the two-step rounding of %4.2f, CR LF.
#include <gtest/gtest.h>

#include <string>

#include "console/channel.hpp"
#include "console/fixed_decimal.hpp"
#include "console/format.hpp"
#include "console/messages.hpp"
#include "support/console_capture.hpp"

namespace {

// The bytes a message with these arguments puts on a channel.
std::string shown_with(const Message& message, std::initializer_list<FormatArg> args) {
    ChannelCapture capture;
    write_formatted(capture.channel(), message, args);
    return capture.text();
}

template <typename... Args>
std::string shown(const Message& message, const Args&... args) {
    return shown_with(message, {FormatArg(args)...});
}

}  // namespace

std::string fixed(double value, int width = 4, int precision = 2) {
    char out[fixed_decimal_capacity];
    return {out, format_fixed(out, value, width, precision)};
}

TEST(FixedDecimal, RoundsHalfUpAfterRoundingTo17Digits) {
    EXPECT_EQ(fixed(2.625), "2.63");      // an exact tie
    EXPECT_EQ(fixed(409.0 / 40), "10.23");  // just below 10.225
    EXPECT_EQ(fixed(4.0), "4.00");
    EXPECT_EQ(fixed(1.0), "1.00");
    EXPECT_EQ(fixed(2.5), "2.50");
    EXPECT_EQ(fixed(173.0 / 40), "4.33");
    EXPECT_EQ(fixed(static_cast<float>(173.0 / 40)), "4.32");
    EXPECT_EQ(fixed(177.0 / 40), "4.42");
    EXPECT_EQ(fixed(static_cast<float>(177.0 / 40)), "4.43");
    EXPECT_EQ(fixed(132.0 / 32), "4.13");
}

TEST(FixedDecimal, WidthCarriesAndLargeValues) {
    EXPECT_EQ(fixed(0.004), "0.00");
    EXPECT_EQ(fixed(0.005), "0.01");
    EXPECT_EQ(fixed(9.995), "9.99");  // the double lies below 9.995
    EXPECT_EQ(fixed(9.999), "10.00");
    EXPECT_EQ(fixed(99.999), "100.00");
    EXPECT_EQ(fixed(2000000000.0), "2000000000.00");
    EXPECT_EQ(fixed(20.362255), "20.36");
    EXPECT_EQ(fixed(1e20), "100000000000000000000.00");
    EXPECT_EQ(fixed(123456789012345678.0), "123456789012345680.00");
    EXPECT_EQ(fixed(0.0), "0.00");
    EXPECT_EQ(fixed(-2.625), "-2.63");
    EXPECT_EQ(fixed(0.5, 8, 0), "       1");
    EXPECT_EQ(fixed(1.0 / 0.0), " inf");
    EXPECT_EQ(fixed(1e308, 0, 2).size(), 312u);
    EXPECT_EQ(fixed(4.9e-324, 0, 20), "0.00000000000000000000");
}

TEST(Format, ConversionsAndLineEnds) {
    EXPECT_EQ(shown(MSG_LIST_ITEM, 2000000000u), " 2000000000");
    EXPECT_EQ(shown(MSG_FACTOR_ITEM, 4294967295u), " * 4294967295");
    EXPECT_EQ(shown(MSG_EXPLAIN_COUNT, -3), crlf("\n\nあなたは今回素数チェックを -3 回くりかえしています。"));
    EXPECT_EQ(shown(MSG_ARG_PRIME, "%s%d"), crlf("%s%d は、素数です\n"));
    EXPECT_EQ(shown(MSG_FIRST_WAS, 10u), crlf("一つ目の数は\n10\n"));
    EXPECT_EQ(shown(MSG_AVERAGE, 2.625), crlf("この区間に平均して 2.63 ごとに素数が存在します。\n\n"));
    EXPECT_EQ(shown(MSG_TIMES, "01/02/26", "03:04:05", "01/02/26", "03:04:06", 1u, 2u, 3u, 4u),
              crlf("★開始日時 01/02/26  03:04:05 \n☆終了日時 01/02/26  03:04:06 、 "
                   "τ(経過時間)=【1日 2時間3分4秒】"));
    // Missing arguments write nothing rather than reading past the list.
    EXPECT_EQ(shown(MSG_NO_PRIMES), " から  までには、素数が一つもありませんでした。");
}

TEST(Format, LongTextArgumentsPassThroughTheBuffer) {
    const std::string long_text(200000, 'x');
    const std::string bytes = shown(MSG_ARG_PRIME, long_text.c_str());
    EXPECT_EQ(bytes.size(), 200000u + MSG_ARG_PRIME.size - 2 + 1);
    EXPECT_EQ(bytes.substr(0, 200000), long_text);
}

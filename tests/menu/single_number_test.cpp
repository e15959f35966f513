// The factorization block as the screen shows it.
#include <gtest/gtest.h>

#include "menu/single_number.hpp"
#include "support/console_capture.hpp"

TEST(PrintFactorization, WritesTheBlockOrNothing) {
    ConsoleCapture console;
    print_factorization(1);
    print_factorization(0);
    EXPECT_EQ(console.screen(), "");
    print_factorization(12);
    EXPECT_EQ(console.screen(), crlf("\n\n☆素因数分解は☆\n 1 * 2 * 2 * 3\n です。\n"));
}

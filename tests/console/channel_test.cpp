// The output layer: CR LF translation, buffering and the order of channels.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "console/channel.hpp"
#include "console/stream_io.hpp"
#include "support/console_capture.hpp"
#include "support/temporary_file.hpp"

TEST(Channel, WritesEachLfAsCrLfAcrossBufferRefills) {
    ChannelCapture capture;
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "ab\n";
    channel_write(capture.channel(), text.data(), text.size());
    channel_write(capture.channel(), "\n\r\n", 3);
    EXPECT_EQ(capture.text(), crlf(text) + "\r\n\r\r\n");
}

TEST(Channel, ScreenIsFlushedBeforeStandardErrorIsWritten) {
    // Both go to one stream, as with 2>&1: the order of writing must survive.
    std::FILE* both = temporary_file();
    attach_console(fileno(both), fileno(both), false);
    channel_write(screen_channel(), "menu\n", 5);
    channel_write(error_channel(), "\x1b[2J", 4);
    channel_end_message(error_channel());
    channel_write(screen_channel(), "next", 4);
    flush_console();
    EXPECT_EQ(read_stream(both), "menu\r\n\x1b[2Jnext");
    attach_console(1, 2, false);
    std::fclose(both);
}

TEST(Channel, TheNullDeviceAndFilesAreNoConsole) {
    // Else every message to them would be written on its own.
#ifdef _WIN32
    std::FILE* null = std::fopen("NUL", "w");
#else
    std::FILE* null = std::fopen("/dev/null", "w");
#endif
    std::FILE* file = temporary_file();
    EXPECT_FALSE(is_console(fileno(null)));
    EXPECT_FALSE(is_console(fileno(file)));
    std::fclose(null);
    std::fclose(file);
}

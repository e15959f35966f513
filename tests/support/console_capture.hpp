// Runs program functions against scripted input and captures their output.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "console/channel.hpp"

// While alive, standard input reads `input` and the screen and standard
// error go to temporary files; screen() and errors() return what was written.
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string& input = "");
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string screen();
    std::string errors();

private:
    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
};

// A channel of its own, writing to a temporary file, for the list writer.
class ChannelCapture {
public:
    ChannelCapture();
    ~ChannelCapture();
    ChannelCapture(const ChannelCapture&) = delete;
    ChannelCapture& operator=(const ChannelCapture&) = delete;

    Channel& channel() { return *channel_; }
    // Flushes the channel; everything written to it so far.
    std::string text();

private:
    std::unique_ptr<Channel> channel_;  // large: its buffer
    std::FILE* stream_;
};

// Everything written to a stream so far.
std::string read_stream(std::FILE* stream);

// Text with each LF written as CR LF.
std::string crlf(const std::string& text);

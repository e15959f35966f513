// Runs program functions against scripted input and captures their output.
#include "support/console_capture.hpp"

#include "console/channel.hpp"
#include "console/line_input.hpp"
#include "support/temporary_file.hpp"

std::string read_stream(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string bytes;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, n);
    return bytes;
}

ConsoleCapture::ConsoleCapture(const std::string& input)
    : in_(temporary_file()), out_(temporary_file()), err_(temporary_file()) {
    std::fwrite(input.data(), 1, input.size(), in_);
    std::rewind(in_);
    attach_input(fileno(in_));
    attach_console(fileno(out_), fileno(err_), false);
}

ConsoleCapture::~ConsoleCapture() {
    attach_console(1, 2, false);
    attach_input(0);
    std::fclose(in_);
    std::fclose(out_);
    std::fclose(err_);
}

std::string ConsoleCapture::screen() {
    flush_console();
    std::string bytes = read_stream(out_);
    std::fseek(out_, 0, SEEK_END);
    return bytes;
}

std::string ConsoleCapture::errors() {
    flush_console();
    std::string bytes = read_stream(err_);
    std::fseek(err_, 0, SEEK_END);
    return bytes;
}

ChannelCapture::ChannelCapture() : channel_(std::make_unique<Channel>()), stream_(temporary_file()) {
    attach_channel(*channel_, fileno(stream_));
}

ChannelCapture::~ChannelCapture() { std::fclose(stream_); }

std::string ChannelCapture::text() {
    channel_flush(*channel_);
    return read_stream(stream_);
}

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

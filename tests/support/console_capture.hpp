// Runs program functions against scripted input and captures their output.
#pragma once

#include <cstdio>
#include <string>


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

// Everything written to a stream so far.
std::string read_stream(std::FILE* stream);

// Text with each LF written as CR LF.
std::string crlf(const std::string& text);

// src/console: everything between the program and its user: the message
// catalogue, the output layer (formatting, CR LF, buffering, flush order),
// line input and number entry, the screen's clearing, and the platform's
// streams and console. It may use number (for the conversions).
//
// The one way messages are written: format, translate LF, end the message.
#pragma once

#include "console/channel.hpp"
#include "console/format.hpp"

// Writes a message with its arguments to a channel and ends the message.
template <typename... Args>
void say_to(Channel& channel, const Message& message, const Args&... args) {
    write_formatted(channel, message, {FormatArg(args)...});
    channel_end_message(channel);
}

// Writes a message to the screen (standard output).
template <typename... Args>
void say(const Message& message, const Args&... args) {
    say_to(screen_channel(), message, args...);
}

// Validated entry of a number from 1 to 2000000000.
#include "console/number_entry.hpp"

#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "number/to_floating.hpp"
#include "number/to_integer.hpp"

namespace {

// Entries longer than this many bytes, as typed, are refused outright.
constexpr std::size_t max_entry_bytes = 10;

// The reason an entry is refused, or nullptr when it passes.
const Message* complaint_about(const char* line, std::size_t length) {
    if (length > max_entry_bytes) return &MSG_TOO_MANY_DIGITS;
    const double value = to_floating(line);
    if (value <= 0.0) return &MSG_NOT_POSITIVE;
    if (value > static_cast<double>(upper_limit)) return &MSG_TOO_LARGE;
    return nullptr;
}

}  // namespace

Number read_valid_number() {
    char line[line_buffer_size];
    const std::size_t length = read_line(line);
    const Message* complaint = complaint_about(line, length);
    if (complaint == nullptr) {
        // The integer reading of the line, not the floating one: "1e3" is 1,
        // and "0.5" is 0, which makes the caller ask again.
        return static_cast<Number>(to_integer(line));
    }
    say(*complaint);
    say(MSG_PRESS_ENTER);
    read_integer();
    return 0;
}

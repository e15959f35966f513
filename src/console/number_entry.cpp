// Validated entry of a number from 1 to 2000000000.
#include "console/number_entry.hpp"

#include <cstdint>
#include <string_view>

#include "console/catalogue_text.hpp"
#include "console/line_input.hpp"
#include "console/messages.hpp"
#include "console/say.hpp"
#include "number/to_floating.hpp"
#include "number/to_integer.hpp"

namespace {

// Entries longer than this many bytes, as typed, are refused outright.
constexpr std::size_t max_entry_bytes = 10;

// A number's decimal digits, in ASCII or in full-width digits, followed by
// `unit`: as the catalogue writes the limits.
struct Said {
    char text[64] = {};
    std::size_t size = 0;
    constexpr operator std::string_view() const { return {text, size}; }
};
constexpr Said said(std::uint64_t n, bool full_width, std::string_view unit) {
    constexpr std::string_view ascii = "0123456789", full = "０１２３４５６７８９";
    const std::string_view digits = full_width ? full : ascii;
    const std::size_t width = digits.size() / 10;
    Said out;
    std::uint64_t scale = 1;
    while (scale * 10 <= n) scale *= 10;
    for (; scale > 0; scale /= 10)
        for (const char c : digits.substr(n / scale % 10 * width, width)) out.text[out.size++] = c;
    for (const char c : unit) out.text[out.size++] = c;
    return out;
}

// The limits the user is told are the ones applied: the largest number
// (in digits, and in 億 of 10^8), and the length of an entry.
constexpr std::uint64_t oku = 100000000;
static_assert(upper_limit % oku == 0);
constexpr bool tells(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}
static_assert(tells(catalogue::MSG_LIMIT_NOTICE, said(upper_limit, false, "")) &&
                  tells(catalogue::MSG_LIMIT_NOTICE, said(upper_limit / oku, true, "億")) &&
                  tells(catalogue::MSG_LIMIT_NOTICE, said(max_entry_bytes, false, "桁")),
              "MSG_LIMIT_NOTICE tells upper_limit and max_entry_bytes");
static_assert(catalogue::MSG_TOO_LARGE.starts_with(said(upper_limit / oku, true, "億以上")),
              "MSG_TOO_LARGE tells upper_limit");
static_assert(catalogue::MSG_TOO_MANY_DIGITS.starts_with(said(max_entry_bytes + 1, true, "桁以上")),
              "MSG_TOO_MANY_DIGITS tells max_entry_bytes");

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

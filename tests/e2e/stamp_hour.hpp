// The hour of a run's first time stamp, and the hour in Tokyo, for the
// tests of the time zone the stamps are in.
#pragma once

#include <ctime>
#include <string>

// The hour of the first stamp in a times line, as two digits.
inline std::string first_stamp_hour(const std::string& out) {
    const std::string head = "★開始日時 ";
    const std::size_t at = out.find(head);
    return at == std::string::npos ? "" : out.substr(at + head.size() + 10, 2);
}

inline std::string tokyo_hour(std::time_t when) {
    const int hour = (std::gmtime(&when)->tm_hour + 9) % 24;
    return std::string(1, static_cast<char>('0' + hour / 10)) + static_cast<char>('0' + hour % 10);
}

// Where code page 932 text may be cut without splitting a two-byte
// character. Only a scan from the start tells: a second byte can have the
// value of a lead byte (メ is 83 81).
#include "console/cp932_boundary.hpp"

std::size_t cp932_whole_prefix(const char* bytes, std::size_t size) {
    std::size_t at = 0;
    while (at < size) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && at + 1 == size) break;
        at += lead ? 2 : 1;
    }
    return at;
}

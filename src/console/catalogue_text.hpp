// The catalogue's texts as constants, for what is checked of them at
// compile time. Outside the catalogue's own file the Japanese is in the
// source's character set: compare it only with literals of the same file.
#pragma once

#include <string_view>

namespace catalogue {
#define MESSAGE(label, literal) [[maybe_unused]] constexpr std::string_view label{literal};
#include "console/message_list.hpp"
#undef MESSAGE
}  // namespace catalogue

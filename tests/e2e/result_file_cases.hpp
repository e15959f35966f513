// What the result-file tests share: the earlier file a run replaces, the
// sessions that write or refuse the file, and a run of a session's own input.
#pragma once

#include <map>
#include <string>

#include "support/golden_session.hpp"

using Files = std::map<std::string, std::string>;

inline const std::string earlier = "earlier results\r\n";
inline const std::string written_notice = "\b計算結果は、Prime.txt に書き出されています。\r\n";

// Mode 4 over 1..100, written, and the same run where the file is refused.
inline GoldenSession written_run() { return load_golden("mode4-1-100"); }
inline GoldenSession refused_run() { return load_golden("mode4-refused"); }

// The session's arguments and input alone: each test sets up Prime.txt.
inline ProgramSetup plain(const GoldenSession& g) {
    ProgramSetup setup;
    setup.args = g.args;
    setup.input = g.input;
    return setup;
}

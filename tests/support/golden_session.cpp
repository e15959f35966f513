// Reads the recorded sessions of tests/golden.
//
// A session file has comment lines (#), header lines (platform, args,
// before, status, Prime.txt) and the sections "=== screen" and
// "=== Prime.txt". In a section the file's own line breaks mean nothing;
// ↵ is CR LF, «CLS» the erase-display sequence (on standard error), «BS» a
// backspace, «TAB» a tab, «xHH» one raw byte, «END» nothing (it ends a line
// whose last character is a space), «MENU» the text of menu.txt, and ⟨...⟩
// a line typed at that point: it goes to the input, not the screen.
#include "support/golden_session.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string clear_sequence = "\x1b[2J";

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a section joined; a line may not end in a space or tab,
// which an editor could drop unseen.
std::string joined(const std::vector<std::string>& lines, const std::string& where) {
    std::string text;
    for (const std::string& line : lines) {
        if (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            throw std::runtime_error(where + ": a line ends in a space; write «END» after it");
        text += line;
    }
    return text;
}

struct Expanded {
    std::string shown, typed;
};

std::string menu_text();

std::string mark_bytes(const std::string& mark) {
    static const std::map<std::string, std::string> named = {
        {"CLS", clear_sequence}, {"BS", "\b"}, {"TAB", "\t"}, {"END", ""}};
    if (const auto it = named.find(mark); it != named.end()) return it->second;
    if (mark == "MENU") return menu_text();
    if (mark.size() == 3 && mark[0] == 'x')
        return std::string(1, static_cast<char>(std::stoi(mark.substr(1), nullptr, 16)));
    throw std::runtime_error("unknown mark «" + mark + "»");
}

// Section text to bytes: the literal runs through the system's converter,
// the marks as they stand for.
Expanded expand(const std::string& text) {
    static const std::string open_mark = "«", close_mark = "»", open_typed = "⟨",
                             close_typed = "⟩", line_end = "↵";
    Expanded out;
    std::string literal;
    std::string* target = &out.shown;
    const auto flush = [&] {
        *target += to_cp932(literal);
        literal.clear();
    };
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, open_mark.size(), open_mark) == 0) {
            const std::size_t end = text.find(close_mark, at);
            if (end == std::string::npos) throw std::runtime_error("« without »");
            flush();
            const std::size_t from = at + open_mark.size();
            *target += mark_bytes(text.substr(from, end - from));
            at = end + close_mark.size();
        } else if (text.compare(at, open_typed.size(), open_typed) == 0) {
            flush();
            target = &out.typed;
            at += open_typed.size();
        } else if (text.compare(at, close_typed.size(), close_typed) == 0) {
            flush();
            out.typed += '\n';
            target = &out.shown;
            at += close_typed.size();
        } else if (text.compare(at, line_end.size(), line_end) == 0) {
            literal += "\r\n";
            at += line_end.size();
        } else {
            literal += text[at++];
        }
    }
    flush();
    return out;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string menu_text() {
    static const std::string menu =
        expand(joined(lines_of(read_text(fs::path(GOLDEN_DIR) / "menu.txt")), "menu.txt")).shown;
    return menu;
}

std::string without_clears(std::string s) {
    for (std::size_t at = s.find(clear_sequence); at != std::string::npos; at = s.find(clear_sequence, at))
        s.erase(at, clear_sequence.size());
    return s;
}

std::string only_clears(const std::string& s) {
    std::string err;
    for (std::size_t at = s.find(clear_sequence); at != std::string::npos;
         at = s.find(clear_sequence, at + 1))
        err += clear_sequence;
    return err;
}

void read_header(GoldenSession& g, const std::string& key, const std::string& value) {
    if (key == "platform") {
        g.platform = value;
    } else if (key == "args") {
        std::istringstream words(value);
        for (std::string word; words >> word;) g.args.push_back(word);
    } else if (key == "before") {
        g.before = value == "«DIR»" ? GoldenSession::Before::directory : GoldenSession::Before::file;
        if (g.before == GoldenSession::Before::file) g.before_file = expand(value).shown;
    } else if (key == "status") {
        g.status = std::stoi(value);
    } else if (key == "Prime.txt") {
        g.after = value == "written"     ? GoldenSession::After::written
                  : value == "unchanged" ? GoldenSession::After::unchanged
                                         : GoldenSession::After::absent;
    } else {
        throw std::runtime_error("unknown header line " + key);
    }
}

void make_directory(const std::string& dir) { fs::create_directory(fs::path(dir) / "Prime.txt"); }

}  // namespace

std::vector<std::string> golden_session_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(GOLDEN_DIR)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".txt" && path.stem() != "menu") names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

GoldenSession load_golden(const std::string& name) {
    GoldenSession g;
    g.name = name;
    std::map<std::string, std::vector<std::string>> sections;
    std::vector<std::string>* section = nullptr;
    for (const std::string& line : lines_of(read_text(fs::path(GOLDEN_DIR) / (name + ".txt")))) {
        if (line.rfind("=== ", 0) == 0) {
            section = &sections[line.substr(4)];
        } else if (section != nullptr) {
            section->push_back(line);
        } else if (!line.empty() && line[0] != '#') {
            const std::size_t colon = line.find(": ");
            read_header(g, line.substr(0, colon), colon == std::string::npos ? "" : line.substr(colon + 2));
        }
    }
    const Expanded screen = expand(joined(sections["screen"], name));
    g.screen = screen.shown;
    g.input = screen.typed;
    g.out = without_clears(g.screen);
    g.err = only_clears(g.screen);
    g.file = expand(joined(sections["Prime.txt"], name)).shown;
    return g;
}

ProgramSetup golden_setup(const GoldenSession& g) {
    ProgramSetup setup;
    setup.args = g.args;
    setup.input = g.input;
    if (g.before == GoldenSession::Before::file) setup.result_file = g.before_file;
    if (g.before == GoldenSession::Before::directory) setup.prepare = make_directory;
    return setup;
}

ProgramRun expect_golden_run(const GoldenSession& g, const ProgramSetup& setup) {
    const ProgramRun run = run_program(setup);
    expect_same_bytes(mask_times(run.out), setup.merge_err ? g.screen : g.out, "screen");
    if (!setup.merge_err) expect_same_bytes(run.err, g.err, "standard error");
    EXPECT_EQ(run.status, g.status);
    return run;
}

std::string mask_times(const std::string& bytes) {
    static const std::string start = to_cp932("★開始日時 "), end = to_cp932(" \r\n☆終了日時 "),
                             elapsed = to_cp932(" 、 τ(経過時間)=【"), day = to_cp932("日 "),
                             hour = to_cp932("時間"), minute = to_cp932("分"),
                             second = to_cp932("秒】");
    std::string s = bytes;
    const auto text = [&s](std::size_t& at, const std::string& t) {
        if (s.compare(at, t.size(), t) != 0) return false;
        at += t.size();
        return true;
    };
    const auto stamp = [&s](std::size_t& at) {
        static const std::string shape = "99/99/99  99:99:99";
        if (at + shape.size() > s.size()) return false;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const char c = s[at + i];
            if (shape[i] == '9' ? !(c >= '0' && c <= '9') : c != shape[i]) return false;
        }
        s.replace(at, shape.size(), "MM/DD/YY  HH:MM:SS");
        at += shape.size();
        return true;
    };
    const auto number = [&s](std::size_t& at, char placeholder) {
        std::size_t digits = 0;
        while (at + digits < s.size() && s[at + digits] >= '0' && s[at + digits] <= '9') ++digits;
        if (digits == 0 || digits > 5) return false;
        s.replace(at, digits, 1, placeholder);
        at += 1;
        return true;
    };
    for (std::size_t at = s.find(start); at != std::string::npos; at = s.find(start, at)) {
        at += start.size();
        const bool ok = stamp(at) && text(at, end) && stamp(at) && text(at, elapsed) &&
                        number(at, 'D') && text(at, day) && number(at, 'H') && text(at, hour) &&
                        number(at, 'M') && text(at, minute) && number(at, 'S') && text(at, second);
        if (!ok) break;
    }
    return s;
}

namespace {

std::string visible(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        }
    }
    return out;
}

}  // namespace

void expect_same_bytes(const std::string& actual, const std::string& expected,
                       const std::string& what) {
    if (actual == expected) return;
    const auto parted = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const std::size_t at = static_cast<std::size_t>(parted.first - actual.begin());
    const std::size_t from = at < 40 ? 0 : at - 40;
    ADD_FAILURE() << what << " differs at byte " << at << " of " << actual.size() << " (expected "
                  << expected.size() << ")\n  actual:   ..." << visible(actual.substr(from, 80))
                  << "\n  expected: ..." << visible(expected.substr(from, 80));
}

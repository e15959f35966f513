// The replacement's decisions against an in-memory file system: each row of
// what can stand at the name and what the system allows, in the order of a
// run on Linux (lock, then rename or copy) and on Windows (rename, then lock
// and copy); and in each row, every operation failing in turn. Whatever
// fails, the name holds the old file byte for byte or the new one whole, the
// run says which, and nothing else is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "result_file/fake_files.hpp"
#include "result_file/replacement.hpp"

namespace {

const std::string old_result = "OLD RESULT\r\n";

std::string new_result(std::size_t lines = 300) {
    std::string text;
    for (std::size_t i = 0; i < lines; ++i)
        text.append(" ").append(std::to_string(1000003 + i * 2)).append("\r\n");
    return text;
}

enum class Ends { renamed, copied, kept, refused };

struct Row {
    const char* what;
    std::function<void(FakeFiles&)> set_up;
    Ends ends;
    std::string content = new_result();
    std::function<void(FakeFiles&)> during_run = nullptr;  // while the list is written
    std::string other_run = "";  // what another run may put in place meanwhile
};

using Contents = std::map<std::string, std::string>;

// Every name and its bytes; without the run's own new file.
Contents contents(const FakeFiles& files, bool without_new_file = false) {
    Contents all;
    for (const auto& [name, file] : files.names)
        if (!without_new_file || name.find(".incomplete-") == std::string::npos)
            all[name] = file->data;
    return all;
}

struct Ending {
    bool begun = false, written = false;
    Contents before_end;  // as the run found it when its list was done
};

// A run as the result file makes it: begun, written, finished or dropped.
Ending run(FakeFiles& files, const Row& row) {
    Replacement r;
    Ending e;
    e.begun = begin_replacement(files, r, "Prime.txt");
    const bool whole = e.begun && files.write(*files.open_files.at(r.fd), 0, row.content);
    if (row.during_run) row.during_run(files);
    e.before_end = contents(files, true);
    if (whole)
        e.written = finish_replacement(files, r, "Prime.txt");
    else
        abandon_replacement(files, r);
    files.unlock_old(r);  // let go of after a rename
    return e;
}

// The name holds what stood there at the end, byte for byte, or the new
// content whole, and the run says which; every other name is as it was.
void expect_sound(const FakeFiles& files, const Ending& e, const Row& row) {
    Contents expected = e.before_end;
    const Contents after = contents(files);
    if (e.written) expected["Prime.txt"] = row.content;
    if (!e.written && after.count("Prime.txt") && after.at("Prime.txt") == row.other_run)
        expected["Prime.txt"] = row.other_run;
    EXPECT_EQ(after, expected);
    EXPECT_TRUE(files.open_files.empty());
    EXPECT_FALSE(files.guarded);
    EXPECT_FALSE(files.signals_held);
    EXPECT_EQ(files.faults, std::vector<std::string>{});
    EXPECT_LE(files.used(), files.disk);
}

// The row without a failure ends as it says; then each of its operations
// fails in turn.
void try_row(const Row& row, bool windows_order) {
    SCOPED_TRACE(std::string(row.what) + (windows_order ? ", Windows' order" : ", Linux's order"));
    FakeFiles clean(windows_order);
    row.set_up(clean);
    const Ending e = run(clean, row);
    expect_sound(clean, e, row);
    EXPECT_EQ(e.begun, row.ends != Ends::refused);
    EXPECT_EQ(e.written, row.ends == Ends::renamed || row.ends == Ends::copied);
    EXPECT_EQ(clean.renames, row.ends == Ends::renamed ? 1u : 0u);
    for (unsigned n = 1; n <= clean.calls; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n) + " of " + std::to_string(clean.calls) +
                     " fails");
        FakeFiles files(windows_order);
        row.set_up(files);
        files.fail_at = n;
        expect_sound(files, run(files, row), row);
    }
}

void try_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows)
        for (const bool windows_order : {false, true}) try_row(row, windows_order);
}

void old_file(FakeFiles& f) {
    f.put("Prime.txt", old_result);
}
void second_name(FakeFiles& f) {
    f.names["other.txt"] = f.put("Prime.txt", old_result);
    f.names["other.txt"]->links = 2;
    f.may_give_everything = false;
}

}  // namespace

TEST(ReplacementPolicy, WhatStandsAtTheName) {
    try_rows({
        {"nothing: the new file takes the name", [](FakeFiles&) {}, Ends::renamed},
        {"nothing, no unnamed files", [](FakeFiles& f) { f.unnamed_files = false; }, Ends::renamed},
        {"a link or the like",
         [](FakeFiles& f) { old_file(f), f.refusal = Refusal::not_a_plain_file; }, Ends::refused},
        {"a read-only file", [](FakeFiles& f) { old_file(f), f.refusal = Refusal::not_writable; },
         Ends::refused},
        {"another user's file in a sticky directory",
         [](FakeFiles& f) { old_file(f), f.refusal = Refusal::planted; }, Ends::refused},
        {"became a link during the run", old_file, Ends::kept, new_result(),
         [](FakeFiles& f) { f.refusal = Refusal::not_a_plain_file; }},
    });
}

TEST(ReplacementPolicy, HowTheNewFileTakesThePlaceOfTheOld) {
    try_rows({
        {"everything may be given: renamed", old_file, Ends::renamed},
        {"everything may be given, no unnamed files: renamed",
         [](FakeFiles& f) { old_file(f), f.unnamed_files = false; }, Ends::renamed},
        {"not everything may be given: copied in place",
         [](FakeFiles& f) { old_file(f), f.may_give_everything = false; }, Ends::copied},
        {"a shorter result copied in place",
         [](FakeFiles& f) { f.put("Prime.txt", new_result(500)), f.may_give_everything = false; },
         Ends::copied},
        {"a second name: renamed with what may be given, the other name kept", second_name,
         Ends::renamed},
        {"a second name in a closed directory: kept",
         [](FakeFiles& f) { second_name(f), f.directory_takes_new_files = false; }, Ends::kept},
    });
}

TEST(ReplacementPolicy, AClosedDirectoryGetsTheResultThroughTheTemporaryDirectory) {
    try_rows({
        {"unnamed there", [](FakeFiles& f) { old_file(f), f.directory_takes_new_files = false; },
         Ends::copied},
        {"named there",
         [](FakeFiles& f) {
             old_file(f), f.directory_takes_new_files = false, f.unnamed_files = false;
         },
         Ends::copied},
        {"no temporary directory",
         [](FakeFiles& f) {
             old_file(f), f.directory_takes_new_files = false, f.temporary_directory_exists = false;
         },
         Ends::refused},
        {"the old file gone at the end",
         [](FakeFiles& f) { old_file(f), f.directory_takes_new_files = false; }, Ends::kept,
         new_result(), [](FakeFiles& f) { f.names.erase("Prime.txt"); }},
    });
}

TEST(ReplacementPolicy, AFileHeldByAnotherProgramIsWaitedForThenWrittenInPlace) {
    try_rows({
        {"let go of after three tries", [](FakeFiles& f) { old_file(f), f.renames_held = 3; },
         Ends::renamed},
        {"held on, sharing writing", [](FakeFiles& f) { old_file(f), f.renames_held = 1000; },
         Ends::copied},
        {"held on, not sharing writing",
         [](FakeFiles& f) { old_file(f), f.renames_held = 1000, f.holder_shares_writing = false; },
         Ends::kept},
    });
    FakeFiles held(true);
    held.put("Prime.txt", old_result);
    held.renames_held = 1000;
    run(held, {"", nullptr, Ends::copied});
    EXPECT_EQ(held.pauses, 50u);  // about 5 s of 100 ms
}

TEST(ReplacementPolicy, AFileReplacedWhileTheRunWaitedIsLookedAtAgain) {
    const auto another_run = [](FakeFiles& f) {
        f.before_lock = [](FakeFiles& g) { g.put("Prime.txt", "THEIRS\r\n"); };
    };
    try_rows({
        {"renamed over the other run's", [=](FakeFiles& f) { old_file(f), another_run(f); },
         Ends::renamed, new_result(), nullptr, "THEIRS\r\n"},
        {"copied into the other run's",
         [=](FakeFiles& f) { old_file(f), another_run(f), f.may_give_everything = false; },
         Ends::copied, new_result(), nullptr, "THEIRS\r\n"},
    });
}

TEST(ReplacementPolicy, AFullDiskLeavesTheOldFileAsItWas) {
    // Room for the new file, not for a copy of it in the old one as well;
    // with room reserved first, and where the system reserves none.
    const auto full = [](bool reservation) {
        return [reservation](FakeFiles& f) {
            old_file(f);
            f.may_give_everything = false;
            f.reservation = reservation;
            f.disk = new_result().size() + old_result.size() + 100;
        };
    };
    try_rows(
        {{"reserving", full(true), Ends::kept}, {"without reservation", full(false), Ends::kept}});
}

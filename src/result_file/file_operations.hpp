// The file operations a replacement of the result file is made of, one set
// per platform (file_operations_linux.cpp, file_operations_windows.cpp).
// Each does one thing and reports whether it did it; which of them runs,
// and in what order, is decided in replacement.cpp alone, so that the
// decisions can be tried against a fake.
#pragma once

#include <cstdint>

enum class Standing { absent, replaceable, refused };
// Why a name is not replaced: a link, a directory, a device and the like;
// a file the user may not write; another user's file in a shared sticky
// directory; a name that cannot be looked at.
enum class Refusal { none, not_a_plain_file, not_writable, planted, unreadable };

struct FileIdentity {
    std::uint64_t volume = 0, index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What stands at a name.
struct Look {
    Standing standing = Standing::absent;
    Refusal why = Refusal::none;
    FileIdentity id;
    std::uint64_t links = 0;
    std::uint32_t permissions = 0;  // mode bits on Linux, attributes on Windows
};

// A name that is not replaced, and why.
inline Look refused(Refusal why) {
    return {Standing::refused, why, {}, 0, 0};
}

// One replacement in progress; `fd` takes the new content.
struct Replacement {
    int fd = -1;
    bool named = false;      // the new file has a name of its own, `temp_name`
    bool elsewhere = false;  // made in the temporary directory: only ever copied
    char temp_name[256] = {};
    std::intptr_t old = -1;  // the old file, open and locked
};

enum class Made { made, name_taken, failed };
enum class Locked { held, changed, failed };  // changed: another file stands there now
enum class Renamed { done, held_by_another_program, failed };
enum class Reserved { reserved, unsupported, failed };

struct FileOperations {
    // A lock on the old file keeps a rename from replacing it (Windows).
    bool lock_stops_rename = false;

    virtual Look look_at(const char* name) = 0;
    virtual const char* temporary_directory() = 0;  // nullptr: none
    virtual unsigned long process_id() = 0;
    // A file without a name in `directory`, where the system has them.
    virtual bool make_unnamed(Replacement& r, const char* directory, const Look& old) = 0;
    // A new file at `r.temp_name`, or (give_name) the unnamed one linked there.
    virtual Made make_named(Replacement& r, const Look& old) = 0;
    virtual Made give_name(Replacement& r) = 0;
    // From guard to unguard, every ending of the process that can be caught
    // removes the file at `r.temp_name` first.
    virtual void guard(const Replacement& r) = 0;
    virtual void unguard() = 0;
    // Gives the new file the owner and attributes of the old one at `name`:
    // all of them, or (what_may_be) those this user may give.
    virtual bool carry_all(Replacement& r, const char* name, const Look& old) = 0;
    virtual void carry_what_may_be(Replacement& r, const char* name, const Look& old) = 0;
    // Opens the old file for writing into `r.old` and locks it against every
    // other run; waits for a run that holds it.
    virtual Locked lock_old(Replacement& r, const char* name, const Look& old) = 0;
    virtual void unlock_old(Replacement& r) = 0;
    // The named new file over `name`, in one step.
    virtual Renamed rename_over(Replacement& r, const char* name) = 0;
    virtual void pause_for_holder() = 0;
    // For the copy into the locked old file.
    virtual bool sizes(Replacement& r, std::uint64_t& new_size, std::uint64_t& old_size) = 0;
    virtual Reserved reserve_room(Replacement& r, std::uint64_t size) = 0;
    virtual bool copy_range(Replacement& r, std::uint64_t from, std::uint64_t to) = 0;
    virtual bool set_old_length(Replacement& r, std::uint64_t length) = 0;
    virtual bool sync_old(Replacement& r) = 0;
    virtual void hold_ending_signals() = 0;
    virtual void release_ending_signals() = 0;
    // Closes the new file, and removes its name if it has one.
    virtual void drop_new_file(Replacement& r) = 0;

protected:
    ~FileOperations() = default;
};

// This platform's operations.
FileOperations& system_files();

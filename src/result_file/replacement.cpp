// Every decision of replacing a file whole or not at all, in the order they
// are met: what stands at the name, where the new file is made, and how it
// takes the old one's place at the end.
#include "result_file/replacement.hpp"

#include <algorithm>
#include <cstdio>

namespace {

constexpr unsigned name_attempts = 100;  // names `base`.incomplete-PID-N tried
constexpr unsigned look_attempts = 100;  // looks at a name another file keeps taking
// A program that holds the old file (a viewer, a virus scanner) makes a
// rename fail while it does: it is waited for about 5 s, 50 pauses of 100 ms.
constexpr unsigned holder_pauses = 50;

enum class Outcome { done, failed, look_again };

// Gives the new file a fresh name beside `base` by `make`: a new named
// file, or the unnamed one linked in. The name is guarded before it exists.
template <typename Make>
bool name_new_file(FileOperations& files, Replacement& r, const char* base, Make make) {
    for (unsigned attempt = 0; attempt < name_attempts; ++attempt) {
        const int length = std::snprintf(r.temp_name, sizeof r.temp_name, "%s.incomplete-%lu-%u",
                                         base, files.process_id(), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof r.temp_name) return false;
        files.guard(r);
        const Made made = make();
        if (made == Made::made) return r.named = true;
        files.unguard();
        if (made == Made::failed) return false;
    }
    return false;
}

// Beside the old file: without a name where the system allows, so that an
// interrupted run leaves nothing behind; else named and guarded.
bool make_new_file(FileOperations& files, Replacement& r, const char* name, const Look& old) {
    return files.make_unnamed(r, ".", old) ||
           name_new_file(files, r, name, [&] { return files.make_named(r, old); });
}

// In the temporary directory, for a writable old file in a directory that
// takes no new file: only ever copied into the old file.
bool make_new_file_elsewhere(FileOperations& files, Replacement& r, const char* name,
                             const Look& old) {
    const char* dir = files.temporary_directory();
    char base[sizeof r.temp_name];
    // A directory whose path leaves no room for the name is not used cut short.
    const int length = dir == nullptr ? -1 : std::snprintf(base, sizeof base, "%s/%s", dir, name);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof base) return false;
    r.elsewhere = true;
    return files.make_unnamed(r, dir, old) ||
           name_new_file(files, r, base, [&] { return files.make_named(r, old); });
}

Renamed rename_waiting_for_holder(FileOperations& files, Replacement& r, const char* name) {
    Renamed renamed = files.rename_over(r, name);
    for (unsigned pause = 0; renamed == Renamed::held_by_another_program && pause < holder_pauses;
         ++pause) {
        files.pause_for_holder();
        renamed = files.rename_over(r, name);
    }
    return renamed;
}

// The new file takes `name` in one step; false, the new file kept, when it could not.
bool move_into_place(FileOperations& files, Replacement& r, const char* name) {
    if (!r.named && !name_new_file(files, r, name, [&] { return files.give_name(r); }))
        return false;
    if (rename_waiting_for_holder(files, r, name) != Renamed::done) return false;
    files.unguard();
    r.named = false;
    files.drop_new_file(r);  // the name is the result's now: only closed
    return true;
}

// Back to the old length after a failure before an old byte changed; tried
// twice, as the old content is whole only once it is done.
void cut_back(FileOperations& files, Replacement& r, std::uint64_t old_size) {
    if (!files.set_old_length(r, old_size)) files.set_old_length(r, old_size);
}

// The new content into the locked old file. Before an old byte changes it
// is made sure to fit: its room reserved where the system can, and the part
// past the old end written first, so that a full disk or a size limit met
// there leaves the old content whole once the file is cut back. From the
// first changed old byte there is no way back, and the rest is tried twice.
bool copy_in_place(FileOperations& files, Replacement& r) {
    std::uint64_t size = 0, old_size = 0;
    if (!files.sizes(r, size, old_size)) return false;
    if ((size > 0 && files.reserve_room(r, size) == Reserved::failed) ||
        (size > old_size && !files.copy_range(r, old_size, size))) {
        cut_back(files, r, old_size);  // also gives back room reserved past the end
        return false;
    }
    const auto rest = [&] {
        return files.copy_range(r, 0, std::min(size, old_size)) && files.set_old_length(r, size) &&
               files.sync_old(r);
    };
    return rest() || rest();
}

// Every ending signal waits until the copy is done and the new file gone,
// so that it never leaves the old file half overwritten.
bool replace_in_place(FileOperations& files, Replacement& r) {
    files.hold_ending_signals();
    const bool copied = copy_in_place(files, r);
    files.drop_new_file(r);
    files.unguard();
    files.release_ending_signals();
    files.unlock_old(r);
    return copied;
}

Outcome lock_failure(Locked locked) {
    return locked == Locked::changed ? Outcome::look_again : Outcome::failed;
}

// Over the old file `old` at `name`, locked (where a lock allows a rename)
// from here until it has been renamed over or written.
Outcome finish_over(FileOperations& files, Replacement& r, const char* name, const Look& old) {
    if (!files.lock_stops_rename) {
        if (const Locked locked = files.lock_old(r, name, old); locked != Locked::held)
            return lock_failure(locked);
    }
    // A file with another name too is never written through: this name
    // gets the new file, with what may be given of the old one.
    const bool alone = old.links == 1;
    if (!r.elsewhere) {
        const bool carried = files.carry_all(r, name, old);
        if (!carried && !alone) files.carry_what_may_be(r, name, old);
        if ((carried || !alone) && move_into_place(files, r, name)) return Outcome::done;
    }
    if (!alone) return Outcome::failed;
    // The old file takes the content: it has what the new file cannot be
    // given, or its directory takes no new file, or a holder kept the
    // rename from happening.
    if (r.old < 0) {
        if (const Locked locked = files.lock_old(r, name, old); locked != Locked::held)
            return lock_failure(locked);
    }
    return replace_in_place(files, r) ? Outcome::done : Outcome::failed;
}

Outcome finish_once(FileOperations& files, Replacement& r, const char* name) {
    // What stands at `name` may have changed during a long run: look again.
    const Look old = files.look_at(name);
    if (old.standing == Standing::refused) return Outcome::failed;
    if (old.standing == Standing::absent)
        return !r.elsewhere && move_into_place(files, r, name) ? Outcome::done : Outcome::failed;
    const Outcome outcome = finish_over(files, r, name, old);
    if (outcome != Outcome::done) files.unlock_old(r);
    return outcome;
}

}  // namespace

bool begin_replacement(FileOperations& files, Replacement& r, const char* name) {
    r = Replacement{};
    const Look old = files.look_at(name);
    if (old.standing == Standing::refused) return false;
    if (make_new_file(files, r, name, old) ||
        (old.standing == Standing::replaceable && make_new_file_elsewhere(files, r, name, old)))
        return true;
    r = Replacement{};
    return false;
}

bool finish_replacement(FileOperations& files, Replacement& r, const char* name) {
    Outcome outcome = Outcome::look_again;
    for (unsigned attempt = 0; attempt < look_attempts && outcome == Outcome::look_again; ++attempt)
        outcome = finish_once(files, r, name);
    if (outcome != Outcome::done) abandon_replacement(files, r);
    return outcome == Outcome::done;
}

void abandon_replacement(FileOperations& files, Replacement& r) {
    files.drop_new_file(r);
    files.unguard();
    files.unlock_old(r);
    r = Replacement{};
}

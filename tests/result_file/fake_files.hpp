// An in-memory file system behind the replacement's file operations: one
// working directory, a temporary directory ("/tmp/..."), a disk of a given
// size, files held by another program, and a failure of the Nth operation
// that reports one. What a real system may lack (room reservation, files
// without a name) can be taken away.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "result_file/file_operations.hpp"

struct FakeFile {
    std::string data;
    std::uint64_t reserved = 0;  // room held past the data
    unsigned links = 0;
};
using FakeRef = std::shared_ptr<FakeFile>;

struct FakeFiles final : FileOperations {
    std::map<std::string, FakeRef> names;
    std::map<int, FakeRef> open_files;
    // What the system and the user can do.
    bool unnamed_files = true, reservation = true, directory_takes_new_files = true;
    bool temporary_directory_exists = true, may_give_everything = true;
    Refusal refusal = Refusal::none;  // what is refused at "Prime.txt"
    std::uint64_t disk = 1 << 20;
    unsigned renames_held = 0;                    // renames another program's hold makes fail
    bool holder_shares_writing = true;            // else the old file cannot be opened to write
    std::function<void(FakeFiles&)> before_lock;  // another run, once
    // The failure: the operation numbered `fail_at` (from 1) reports failure;
    // a copy then writes half its bytes first.
    unsigned fail_at = 0, failures = 1, calls = 0, pauses = 0, renames = 0;
    bool guarded = false, signals_held = false;
    std::string guarded_name;
    std::vector<std::string> faults;  // rules the decisions broke

    explicit FakeFiles(bool windows_order = false) { lock_stops_rename = windows_order; }

    FakeRef put(const std::string& name, const std::string& data) {
        auto file = std::make_shared<FakeFile>(FakeFile{data, 0, 1});
        names[name] = file;
        return file;
    }
    std::uint64_t used() const {
        std::set<FakeFile*> seen;
        std::uint64_t sum = 0;
        const auto add = [&](const FakeRef& f) {
            if (seen.insert(f.get()).second)
                sum += std::max<std::uint64_t>(f->data.size(), f->reserved);
        };
        for (const auto& [name, f] : names) add(f);
        for (const auto& [fd, f] : open_files) add(f);
        return sum;
    }
    // Writes `bytes` at `at` of `f` as far as the disk has room.
    bool write(FakeFile& f, std::uint64_t at, const std::string& bytes) {
        const std::uint64_t held = std::max<std::uint64_t>(f.data.size(), f.reserved);
        const std::uint64_t room = held + (disk - used());
        const std::uint64_t fits =
            at >= room ? 0 : std::min<std::uint64_t>(bytes.size(), room - at);
        if (f.data.size() < at + fits) f.data.resize(at + fits);
        f.data.replace(at, fits, bytes, 0, fits);
        return fits == bytes.size();
    }

    bool fails() {
        ++calls;
        return calls >= fail_at && calls < fail_at + failures;
    }
    int next_fd = 3;
    int open(const FakeRef& f) {
        open_files[next_fd] = f;
        return next_fd++;
    }
    bool here(const std::string& name) const { return name.rfind("/tmp/", 0) != 0; }
    bool may_make(const std::string& name) const {
        return here(name) ? directory_takes_new_files : temporary_directory_exists;
    }
    // A named new file is never without its guard.
    void check_guard(const char* step) {
        for (const auto& [name, f] : names)
            if (name.find(".incomplete-") != std::string::npos &&
                !(guarded && guarded_name == name))
                faults.push_back(std::string(step) + ": " + name + " unguarded");
    }

    Look look_at(const char* name) override {
        if (fails()) return refused(Refusal::unreadable);
        const auto at = names.find(name);
        if (at == names.end()) return {};
        if (refusal != Refusal::none) return refused(refusal);
        const auto id = reinterpret_cast<std::uintptr_t>(at->second.get());
        return {Standing::replaceable, Refusal::none, {1, id}, at->second->links, 0644};
    }
    const char* temporary_directory() override {
        return temporary_directory_exists ? "/tmp" : nullptr;
    }
    unsigned long process_id() override { return 42; }
    bool make_unnamed(Replacement& r, const char* directory, const Look&) override {
        if (fails() || !unnamed_files || !may_make(std::string(directory) + "/x")) return false;
        r.fd = open(std::make_shared<FakeFile>());
        return true;
    }
    Made make_named(Replacement& r, const Look&) override {
        if (fails() || !may_make(r.temp_name)) return Made::failed;
        if (names.count(r.temp_name)) return Made::name_taken;
        r.fd = open(put(r.temp_name, ""));
        check_guard("make_named");
        return Made::made;
    }
    Made give_name(Replacement& r) override {
        if (fails() || !may_make(r.temp_name)) return Made::failed;
        if (names.count(r.temp_name)) return Made::name_taken;
        names[r.temp_name] = open_files.at(r.fd);
        ++names[r.temp_name]->links;
        check_guard("give_name");
        return Made::made;
    }
    void guard(const Replacement& r) override {
        guarded = true;
        guarded_name = r.temp_name;
    }
    void unguard() override {
        guarded = false;
        check_guard("unguard");
    }
    bool carry_all(Replacement&, const char*, const Look&) override {
        return !fails() && may_give_everything;
    }
    void carry_what_may_be(Replacement&, const char*, const Look&) override {}
    Locked lock_old(Replacement& r, const char* name, const Look& old) override {
        if (fails() || !holder_shares_writing) return Locked::failed;
        if (before_lock) std::exchange(before_lock, nullptr)(*this);
        const auto at = names.find(name);
        if (at == names.end() || reinterpret_cast<std::uintptr_t>(at->second.get()) != old.id.index)
            return Locked::changed;
        r.old = open(at->second);
        return Locked::held;
    }
    void unlock_old(Replacement& r) override {
        open_files.erase(static_cast<int>(r.old));
        r.old = -1;
    }
    Renamed rename_over(Replacement& r, const char* name) override {
        if (fails()) return Renamed::failed;
        if (renames_held > 0 && names.count(name)) {
            --renames_held;
            return Renamed::held_by_another_program;
        }
        if (!r.named || !here(r.temp_name) || !directory_takes_new_files) return Renamed::failed;
        if (names.count(name)) --names[name]->links;
        names[name] = names[r.temp_name];
        names.erase(r.temp_name);
        ++renames;
        return Renamed::done;
    }
    void pause_for_holder() override { ++pauses; }
    bool sizes(Replacement& r, std::uint64_t& new_size, std::uint64_t& old_size) override {
        if (fails()) return false;
        new_size = open_files.at(r.fd)->data.size();
        old_size = open_files.at(static_cast<int>(r.old))->data.size();
        return true;
    }
    Reserved reserve_room(Replacement& r, std::uint64_t size) override {
        if (fails()) return Reserved::failed;
        if (!reservation) return Reserved::unsupported;
        FakeFile& old = *open_files.at(static_cast<int>(r.old));
        const std::uint64_t held = std::max<std::uint64_t>(old.data.size(), old.reserved);
        if (size > held && size - held > disk - used()) return Reserved::failed;
        old.reserved = std::max(old.reserved, size);
        return Reserved::reserved;
    }
    bool copy_range(Replacement& r, std::uint64_t from, std::uint64_t to) override {
        if (!signals_held) faults.push_back("copy with ending signals let through");
        const std::string part = open_files.at(r.fd)->data.substr(from, to - from);
        FakeFile& old = *open_files.at(static_cast<int>(r.old));
        if (!fails()) return write(old, from, part);
        write(old, from, part.substr(0, part.size() / 2));
        return false;
    }
    bool set_old_length(Replacement& r, std::uint64_t length) override {
        if (fails()) return false;
        FakeFile& old = *open_files.at(static_cast<int>(r.old));
        old.data.resize(length);
        old.reserved = 0;  // room past the end goes with a new length
        return true;
    }
    bool sync_old(Replacement&) override { return !fails(); }
    void hold_ending_signals() override { signals_held = true; }
    void release_ending_signals() override { signals_held = false; }
    void drop_new_file(Replacement& r) override {
        open_files.erase(r.fd);
        if (r.named) names.erase(r.temp_name);
        r.fd = -1;
        r.named = false;
    }
};

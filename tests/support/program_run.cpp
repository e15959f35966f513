// The files around a program run, alike on every platform.
#include "support/program_run_files.hpp"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

void put_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string describe(const fs::path& path) {
    std::error_code ignored;
    switch (fs::symlink_status(path, ignored).type()) {
        case fs::file_type::regular: return read_file(path);
        case fs::file_type::symlink: return "<link>";
        case fs::file_type::directory: return "<directory>";
        case fs::file_type::fifo: return "<fifo>";
        case fs::file_type::socket: return "<socket>";
        default: return "<other>";
    }
}

// A fresh directory of the run's own among the system's temporary files.
fs::path make_run_directory() {
    const fs::path base = fs::temp_directory_path();
    for (unsigned n = 0;; ++n) {
        const fs::path dir = base / ("primesearch-test-" + std::to_string(std::random_device{}()) +
                                     "-" + std::to_string(n));
        if (fs::create_directory(dir)) return dir;
    }
}

}  // namespace

fs::path work_dir_of(const StartedProgram& p) {
    return p.setup.work_dir.empty() ? fs::path(p.dir) / "work" : fs::path(p.setup.work_dir);
}

void prepare_run_directory(StartedProgram& p) {
    const ProgramSetup& setup = p.setup;
    const fs::path dir = make_run_directory();
    p.dir = dir.string();
    if (setup.work_dir.empty()) fs::create_directory(dir / "work");
    put_file(dir / "stdin", setup.input);
    if (setup.as.nobody) {
        fs::permissions(dir, fs::perms::all);
        // A caller's own working directory keeps the mode it was given.
        if (setup.work_dir.empty()) fs::permissions(work_dir_of(p), fs::perms::all);
    }
    if (setup.result_file) put_file(work_dir_of(p) / "Prime.txt", *setup.result_file);
    if (setup.prepare != nullptr) setup.prepare(work_dir_of(p).string());
}

void collect_run_files(const StartedProgram& p, ProgramRun& run) {
    const fs::path dir = p.dir;
    std::error_code ignored;
    if (fs::exists(dir / "stdout", ignored)) run.out = read_file(dir / "stdout");
    if (fs::exists(dir / "stderr", ignored)) run.err = read_file(dir / "stderr");
    const fs::path work = work_dir_of(p);
    for (const auto& entry : fs::directory_iterator(work, ignored))
        run.work_files[entry.path().filename().string()] = describe(entry.path());
    const fs::path result = work / "Prime.txt";
    run.has_result_file = fs::is_regular_file(fs::symlink_status(result, ignored));
    if (run.has_result_file) {
        run.result_file = read_file(result);
        run.result_mode = static_cast<unsigned>(fs::status(result).permissions());
    }
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir, ignored);
}

ProgramRun run_program(const ProgramSetup& setup) {
    StartedProgram started = start_program(setup);
    return finish_program(started);
}

bool wait_while_running(const StartedProgram& p, const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(p.setup.timeout_seconds);
    while (std::chrono::steady_clock::now() < deadline && still_running(p)) {
        if (ready()) return still_running(p);
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return false;
}

bool wait_until_writing(StartedProgram& p) {
    return wait_while_running(p, [&p] { return holds_new_file_with_bytes(p); });
}

bool wait_until_rewriting(StartedProgram& p, const std::string& earlier) {
    const fs::path result = work_dir_of(p) / "Prime.txt";
    return wait_while_running(p, [&] {
        std::error_code error;
        if (fs::file_size(result, error) != earlier.size()) return !error;
        std::string head(earlier.size(), '\0');
        std::ifstream(result, std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
        return head != earlier;
    });
}

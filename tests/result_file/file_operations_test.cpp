// This platform's file operations on names longer than a short buffer holds.
#include "result_file/file_operations.hpp"
#include "support/program_run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(FileOperations, LookAtALongNameWhole) {
    const fs::path dir =
        fs::temp_directory_path() / ("primesearch-long-name-" + std::string(80, 'x'));
    fs::create_directories(dir);
    const std::string name = (dir / "Prime.txt").string();
    put_file(name, "earlier");
    const Look present = system_files().look_at(name.c_str());
    const Look missing = system_files().look_at((dir / "Prime.txt.missing").string().c_str());
    fs::remove_all(dir);
    EXPECT_EQ(present.standing, Standing::replaceable);
    EXPECT_EQ(present.links, 1u);
    EXPECT_EQ(missing.standing, Standing::absent);
}

// Temporary files on Windows. The C runtime's tmpfile() picks a name, lets it
// go and opens it again, so two test processes started together can race for
// one name and one of them gets no file. Here the name carries the process
// and a counter, and the open is exclusive and deletes the file on close.
#include "support/temporary_file.hpp"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <string>

std::FILE* temporary_file() {
    static std::atomic<unsigned> counter{0};
    char directory[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0 || length > MAX_PATH) {
        std::fputs("temporary_file: no temporary directory\n", stderr);
        std::abort();
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = std::string(directory) + "primesearch-test-" +
                                 std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY,
                             _S_IREAD | _S_IWRITE);
        if (fd < 0) continue;
        if (std::FILE* file = _fdopen(fd, "w+b")) return file;
        _close(fd);
    }
    std::perror("temporary_file");
    std::abort();
}

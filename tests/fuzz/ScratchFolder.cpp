#include "ScratchFolder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace orlix::fuzzing {

namespace {

std::filesystem::path makeFolder() {
    std::error_code error;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
    std::string pattern = (base / "orlix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("orlix fuzz: mkdtemp");
        std::abort();
    }
    return pattern;
}

struct Folder {
    std::filesystem::path path = makeFolder();
    ~Folder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

} // namespace

const std::filesystem::path& ScratchFolder::path() {
    static const Folder folder;
    return folder.path;
}

std::filesystem::path ScratchFolder::writeFile(const std::filesystem::path& name,
                                               std::span<const std::uint8_t> bytes) {
    const auto target = path() / name;
    const auto temporary = path() / ".incoming";
    std::filesystem::create_directories(target.parent_path());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::perror("orlix fuzz: writing a scratch file");
            std::abort();
        }
    }
    std::filesystem::rename(temporary, target);
    return target;
}

void ScratchFolder::empty() {
    for (const auto& entry : std::filesystem::directory_iterator(path())) {
        std::filesystem::remove_all(entry.path());
    }
}

} // namespace orlix::fuzzing

#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace orlix::fuzzing {

// A private folder for the files a target hands to code that reads files, made once per process
// (in memory when /dev/shm is there) and removed at exit.
class ScratchFolder {
public:
    static const std::filesystem::path& path();

    // Replaces `name` in the folder with `bytes` as a new file (a new inode each time, as an
    // atomic save by another program makes it) and returns its path.
    static std::filesystem::path writeFile(const std::filesystem::path& name,
                                           std::span<const std::uint8_t> bytes);
    // Removes everything in the folder.
    static void empty();
};

} // namespace orlix::fuzzing

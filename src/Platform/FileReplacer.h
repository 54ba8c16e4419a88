#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace orlix {

// Replaces a small file of this program's own (its preferences, its autostart entry) as a whole:
// the new contents reach the disk in the file's folder before they take its name, so a reader or
// a crash finds the old file or the new one, never a mixture.
//
// The contents are written into a file without a name, so a process killed while it writes
// leaves nothing behind. Only the step from there to the final name passes through a temporary
// name (".<name>.XXXXXX"), under a lock its writer holds until the end; a temporary that nobody
// holds locked was left by a writer that died, and the next replacement of the file removes it.
// File systems without nameless files get such a temporary from the start.
class FileReplacer {
public:
    // The new file's status once it is in place; nothing when it could not be written, the old
    // file being then as it was. The file gets exactly `mode`, whatever the umask.
    static std::optional<struct stat> replace(const std::filesystem::path& file,
                                              std::string_view contents, mode_t mode);
};

} // namespace orlix

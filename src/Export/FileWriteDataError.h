#pragma once

#include <optional>
#include <string>

namespace orlix {

// Why one output file could not be created.
enum class FileWriteDataError {
    unknown,
    fileAlreadyExists,
    insufficientPermissions,
    targetFileIsDirectory,
    targetPathOrFilenameTooLong,
    noSpace,
};

// The error a failed system call stands for, from its errno.
FileWriteDataError fileWriteDataError(int errorNumber);

// The user text of an error; `unknown` has none.
std::optional<std::string> localizedDescription(FileWriteDataError error);

} // namespace orlix

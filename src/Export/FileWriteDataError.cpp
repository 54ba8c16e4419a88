#include "Export/FileWriteDataError.h"

#include "Platform/Localization.h"

#include <cerrno>

namespace orlix {

FileWriteDataError fileWriteDataError(int errorNumber) {
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        return FileWriteDataError::insufficientPermissions;
    case EEXIST:
        return FileWriteDataError::fileAlreadyExists;
    case EISDIR:
        return FileWriteDataError::targetFileIsDirectory;
    case ENOSPC:
    case EDQUOT:
        return FileWriteDataError::noSpace;
    case ENAMETOOLONG:
        return FileWriteDataError::targetPathOrFilenameTooLong;
    default:
        return FileWriteDataError::unknown;
    }
}

std::optional<std::string> localizedDescription(FileWriteDataError error) {
    switch (error) {
    case FileWriteDataError::unknown:
        return std::nullopt;
    case FileWriteDataError::fileAlreadyExists:
    case FileWriteDataError::targetFileIsDirectory:
        return localized(
            "File already exists",
            "Error information string when trying to write a file and it already exists");
    case FileWriteDataError::insufficientPermissions:
        return localized("Not enough permissions to create a file at this location",
                         "Error information string when trying to write a file with insufficient "
                         "permissions");
    case FileWriteDataError::targetPathOrFilenameTooLong:
        return localized("Output filename is too long",
                         "Error information string when trying to write a file and the file name "
                         "is longer than supported by the filesystem");
    case FileWriteDataError::noSpace:
        return localized("No space to create file",
                         "Error information string when trying to write a file and there is no "
                         "space on the destination drive");
    }
    return std::nullopt;
}

} // namespace orlix

#include "ImageUtilsService/ServiceArguments.h"

#include <cstdlib>
#include <cstring>

namespace orlix {

std::optional<ServiceArguments> ServiceArguments::parse(int argc, char** argv) {
    ServiceArguments arguments;
    if (argc % 2 == 0) {
        return std::nullopt;
    }
    for (int index = 1; index + 1 < argc; index += 2) {
        if (std::strcmp(argv[index], "--socket") == 0) {
            arguments.socketPath = argv[index + 1];
        } else if (std::strcmp(argv[index], "--parent") == 0) {
            char* end = nullptr;
            const long parent = std::strtol(argv[index + 1], &end, 10);
            if (*end != '\0' || parent <= 1) {
                return std::nullopt;
            }
            arguments.parent = static_cast<pid_t>(parent);
        } else {
            return std::nullopt;
        }
    }
    if (arguments.socketPath.empty() || arguments.parent == 0) {
        return std::nullopt;
    }
    return arguments;
}

} // namespace orlix

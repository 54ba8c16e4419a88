#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace orlix {

// What the client tells a service it starts: where to listen, and whose life to follow.
struct ServiceArguments {
    std::string socketPath;
    pid_t parent = 0;

    // "--socket <path> --parent <pid>", in any order; nothing for anything else.
    static std::optional<ServiceArguments> parse(int argc, char** argv);
};

} // namespace orlix

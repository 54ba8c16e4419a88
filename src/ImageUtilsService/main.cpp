#include "ImageUtilsService/ImageUtilsServer.h"
#include "ImageUtilsService/ServiceArguments.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// libimagequant runs on OpenMP, which reads OMP_NUM_THREADS once as it loads, before main. Several
// exports quantise at once, each on its own connection thread; two threads per quantisation keep
// one large image fast without oversubscribing the processors when many run together.
void limitOpenMPThreads(char** argv) {
    if (std::getenv("OMP_NUM_THREADS") != nullptr) {
        return;
    }
    // Through the program's real path, not /proc/self/exe, so that it keeps its name in ps.
    char program[4096];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) {
        return;
    }
    program[length] = '\0';
    ::setenv("OMP_NUM_THREADS", "2", 1);
    ::execv(program, argv);
    // Still running with the default: slower under load, but working.
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = orlix::ServiceArguments::parse(argc, argv);
    if (!arguments) {
        std::fprintf(stderr, "usage: orlix-image-utils --socket <path> --parent <pid>\n");
        return 2;
    }
    limitOpenMPThreads(argv);
    return orlix::ImageUtilsServer(arguments->socketPath, arguments->parent).run();
}

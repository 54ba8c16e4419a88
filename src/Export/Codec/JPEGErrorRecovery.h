#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

namespace orlix {

// The library's standard error manager, except that a fatal error returns to `recovery` instead
// of ending the process. Whoever installs it sets the recovery point with setjmp(recovery) before
// any library call, and keeps the structure alive, and unmoved, for as long as the library works.
struct JPEGErrorRecovery {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
    // Decoding refuses damaged files without a word, as they are expected; an encoder's errors are
    // worth printing.
    bool reportsErrors = true;

    // The manager to put in a (de)compressor's `err`.
    jpeg_error_mgr* install();

    // Abandons the current library call and jumps to the recovery point.
    [[noreturn]] static void fail(j_common_ptr info);
};

} // namespace orlix

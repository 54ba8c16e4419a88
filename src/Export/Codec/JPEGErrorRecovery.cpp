#include "Export/Codec/JPEGErrorRecovery.h"

namespace orlix {

jpeg_error_mgr* JPEGErrorRecovery::install() {
    jpeg_std_error(&manager);
    manager.error_exit = fail;
    return &manager;
}

void JPEGErrorRecovery::fail(j_common_ptr info) {
    // The manager is the structure's first member, so the library's pointer to it leads back to
    // the whole.
    auto* recovery = reinterpret_cast<JPEGErrorRecovery*>(info->err);
    if (recovery->reportsErrors) {
        (*info->err->output_message)(info);
    }
    std::longjmp(recovery->recovery, 1);
}

} // namespace orlix

#include "BenchExport.h"

#include "Export/JPEGImageExporter.h"
#include "Export/PNGImageExporter.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"

namespace orlix::bench {

template <typename Exporter, typename Config>
std::optional<std::filesystem::path> BenchExport::run(const std::filesystem::path& input,
                                                      Config config) {
    auto item = std::make_shared<ImageExportItem>(
        Uuid(), Url::fileUrl(input),
        ExportSize{ResizeConfig::none(),
                   ExportSize::ResolutionType::fixed(OutputResolution::x1, 1.0)},
        nullptr, nullptr);
    Exporter exporter(item, config);
    std::optional<std::filesystem::path> written;
    exporter.setStatusUpdater([&](const auto& status) {
        if (status.out) {
            written = status.out->path();
        }
    });
    auto loop = std::make_shared<RunLoop>();
    MainQueue::setExecutor(loop);
    exporter.operations().front()->start();
    loop->runUntilIdle();
    MainQueue::setExecutor(nullptr);
    return written;
}

std::optional<std::filesystem::path> BenchExport::jpeg(const std::filesystem::path& input) {
    return run<JPEGImageExporter>(input, JPEGExportConfig{});
}

std::optional<std::filesystem::path> BenchExport::png(const std::filesystem::path& input,
                                                      bool zopfli) {
    PNGExportConfig config;
    config.useZopfli = zopfli;
    return run<PNGImageExporter>(input, config);
}

} // namespace orlix::bench

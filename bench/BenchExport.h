#pragma once

#include <filesystem>
#include <optional>

namespace orlix::bench {

// One export as the application runs it: the real operation, output beside the input, at one
// fixed resolution so that it is written whatever its size.
class BenchExport {
public:
    static std::optional<std::filesystem::path> jpeg(const std::filesystem::path& input);
    static std::optional<std::filesystem::path> png(const std::filesystem::path& input,
                                                    bool zopfli);

private:
    template <typename Exporter, typename Config>
    static std::optional<std::filesystem::path> run(const std::filesystem::path& input,
                                                    Config config);
};

} // namespace orlix::bench

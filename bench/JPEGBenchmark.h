#pragma once

#include <filesystem>
#include <vector>

namespace orlix::bench {

// The JPEG export and the resize against djpeg | cjpeg at the quality Orlix chose and against
// ImageMagick's Lanczos resize, on JPEG inputs (PNG inputs as JPEG are a line of their own).
class JPEGBenchmark {
public:
    static void run(const std::vector<std::filesystem::path>& images,
                    const std::filesystem::path& scratch);

private:
    struct Totals {
        double ourBytes = 0, peerBytes = 0, ourSeconds = 0, peerSeconds = 0;
        double ourResizeSeconds = 0, peerResizeSeconds = 0;
        int images = 0;
    };

    static void measure(const std::filesystem::path& input, const std::filesystem::path& scratch,
                        Totals& totals);
};

} // namespace orlix::bench

#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orlix::bench {

// The PNG export against pngquant --speed 4 at 256 colours, and with Zopfli against pngquant
// followed by zopflipng; both of Orlix's quantisers are measured. A picture with transparency is
// scored flattened on white and on black, the worse score kept.
class PNGBenchmark {
public:
    static void run(const std::vector<std::filesystem::path>& images,
                    const std::filesystem::path& scratch);

private:
    struct Result {
        double bytes = 0;
        double seconds = 0;
        double ssimulacra = 0;
    };
    struct Totals {
        Result ours, peer, ourZopfli, peerZopfli, builtIn;
        int images = 0;
    };

    static void measure(const std::filesystem::path& input, const std::filesystem::path& scratch,
                        Totals& totals);
    // ssimulacra of an output against the decoded input.
    using Score = std::function<double(const std::filesystem::path&)>;

    static Result ours(const std::filesystem::path& input, const Score& score, bool zopfli);
    static Result peer(const std::filesystem::path& input, const Score& score,
                       const std::filesystem::path& output, bool zopfli);
    static void add(Result& total, const Result& one);
    static std::string describe(const char* label, const Result& result);
};

} // namespace orlix::bench

#include "BenchTools.h"

#include <cstdio>
#include <cstdlib>

namespace orlix::bench {

namespace fs = std::filesystem;

const std::string BenchTools::magick = "/usr/bin/convert";

double BenchTools::secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BenchTools::timed(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    return status == 0 ? seconds : -1.0;
}

std::string BenchTools::output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            text += buffer;
        }
        ::pclose(pipe);
    }
    return text;
}

std::string BenchTools::quoted(const fs::path& path) {
    std::string text = "'";
    for (const char c : path.string()) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

fs::path BenchTools::asPNG(const fs::path& path) {
    if (path.extension() != ".ppm") {
        return path;
    }
    auto png = path;
    png.replace_extension(".png");
    if (!fs::exists(png)) {
        timed(magick + " " + quoted(path) + " " + quoted(png));
    }
    return png;
}

double BenchTools::ssimulacra(const fs::path& reference, const fs::path& candidate) {
    const auto text = output("ssimulacra_main " + quoted(asPNG(reference)) + " " +
                             quoted(asPNG(candidate)) + " 2>/dev/null");
    return text.empty() ? -1.0 : std::stod(text);
}

} // namespace orlix::bench

// URLs from text (command-line words, drops, the helper's notification) and from file paths:
// a file URL names an absolute path, its text reads back as the same URL, equal URLs hash alike,
// and the path operations never fail on what parsing let through.
#include "Require.h"

#include "Platform/Url.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace orlix;

namespace {

void requireConsistent(const Url& url) {
    if (url.isFileUrl()) {
        fuzzing::require(url.path().is_absolute(), "a file URL names an absolute path");
        const auto again = Url::parse(url.absoluteString());
        fuzzing::require(again && *again == url, "a file URL's text reads back as itself");
        fuzzing::require(UrlHash{}(*again) == UrlHash{}(url), "a URL read back hashes alike");
    }
    const auto extension = url.pathExtension();
    fuzzing::require(url.pathExtensionEquals(extension), "the extension equals itself");
    if (url.isFileUrl() && !extension.empty() && url.lastPathComponent() != "..") {
        fuzzing::require(url.deletingPathExtension().appendingPathExtension(extension) == url ||
                             url.path().string().back() == '/',
                         "an extension taken off and put back gives the URL again");
    }
    url.deletingLastPathComponent().lastPathComponent();
}

void requireSameHashWhenEqual(const Url& left, const Url& right) {
    if (left == right) {
        fuzzing::require(UrlHash{}(left) == UrlHash{}(right), "equal URLs hash alike");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto firstText = input.ConsumeRandomLengthString(512);
    const auto secondText = input.ConsumeRandomLengthString(512);
    // Components come from file names, which never hold a NUL.
    auto component = input.ConsumeRandomLengthString(64);
    component = component.substr(0, component.find('\0'));

    const auto first = Url::parse(firstText);
    const auto second = Url::parse(secondText);
    for (const auto& url : {first, second}) {
        if (url) {
            requireConsistent(*url);
            requireConsistent(url->appendingPathComponent(component));
        }
    }
    if (first && second) {
        requireSameHashWhenEqual(*first, *second);
    }
    // A path as a file chooser or the command line hands it over.
    if (firstText.find('\0') == std::string::npos) {
        const auto fromPath = Url::fileUrl("/" + firstText);
        requireConsistent(fromPath);
        if (second) {
            requireSameHashWhenEqual(fromPath, *second);
        }
    }
    return 0;
}

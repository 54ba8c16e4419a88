// The text/uri-list of a drag, as the drop windows and the helper read it: whatever the text, only
// local files come out, each a URL whose text reads back as itself; and a list made of file URLs
// gives back exactly those files, in order, whichever line ends and comments it carries.
#include "Require.h"

#include "Shared/UriList.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

using namespace orlix;

namespace {

void requireOnlyLocalFiles(const std::vector<Url>& urls, std::string_view text) {
    std::size_t lines = 1;
    for (const char character : text) {
        lines += character == '\n' ? 1 : 0;
    }
    fuzzing::require(urls.size() <= lines, "at most one file per line");
    for (const auto& url : urls) {
        fuzzing::require(url.isFileUrl() && url.path().is_absolute(), "only local files");
        fuzzing::require(Url::parse(url.absoluteString()) == url, "a file's URL reads back");
    }
}

// A list as a file manager writes it, of files named by the rest of the input.
std::string listOf(FuzzedDataProvider& input, std::vector<Url>& files) {
    std::string text;
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
            // A comment is one line.
            auto comment = input.ConsumeRandomLengthString(16);
            comment = comment.substr(0, comment.find_first_of("\r\n"));
            text += "# " + comment + "\r\n";
        }
        auto name = input.ConsumeRandomLengthString(32);
        name = name.substr(0, name.find('\0'));
        files.push_back(Url::fileUrl("/" + name));
        text += files.back().absoluteString();
        text += input.ConsumeBool() ? "\r\n" : "\n";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto text = input.ConsumeRandomLengthString(4096);
    requireOnlyLocalFiles(UriList::fileUrls(text), text);

    std::vector<Url> files;
    const auto list = listOf(input, files);
    fuzzing::require(UriList::fileUrls(list) == files, "every file listed comes back");
    return 0;
}

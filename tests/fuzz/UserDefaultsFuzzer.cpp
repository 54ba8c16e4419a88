// The preferences store reading a file another process may have written. A file that reads as a
// dictionary is what the store holds, key for key; any other file reads as empty, and the next
// write keeps it aside unchanged instead of overwriting it. Either way the preferences load, and
// a write keeps every value that was read.
#include "PreferencesFile.h"
#include "Require.h"
#include "ScratchFolder.h"

#include "Model/Preferences.h"
#include "Platform/PropertyListSerialization.h"
#include "Platform/UserDefaults.h"

#include <fstream>
#include <sstream>
#include <string>

using namespace orlix;

namespace {

constexpr const char* writtenKey = "OXFuzzWrittenKey";

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::optional<PropertyList::Dictionary> dictionaryIn(std::string_view text) {
    const auto root = PropertyListSerialization::fromXml(text);
    if (!root || !root->isDictionary()) {
        return std::nullopt;
    }
    return *root->dictionaryValue();
}

// Every file in the folder of the preferences but the preferences file itself.
bool keptAside(std::string_view original) {
    const auto folder = fuzzing::PreferencesFile::path().parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path() != fuzzing::PreferencesFile::path() &&
            contentsOf(entry.path()) == original) {
            return true;
        }
    }
    return false;
}

// By their written form, so that a stored NaN equals itself.
bool same(const std::optional<PropertyList>& value, const PropertyList& expected) {
    return value &&
           PropertyListSerialization::toXml(*value) == PropertyListSerialization::toXml(expected);
}

void requireReadAsStored(const UserDefaults& store, const PropertyList::Dictionary& stored) {
    for (const auto& [key, value] : stored) {
        fuzzing::require(same(store.objectForKey(key), value),
                         "the store holds what the file holds");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::PreferencesFile::useScratchConfiguration();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::PreferencesFile::replace({data, size});
    const std::string original(reinterpret_cast<const char*>(data), size);
    const auto stored = dictionaryIn(original);

    UserDefaults store(UserDefaults::standardDomain);
    if (stored) {
        requireReadAsStored(store, *stored);
    } else {
        fuzzing::require(!store.objectForKey(writtenKey), "a damaged file reads as empty");
    }
    fuzzing::require(Preferences::load() == Preferences::load(), "loading is repeatable");

    const bool saved = store.setObject(true, writtenKey);
    const auto written = dictionaryIn(contentsOf(fuzzing::PreferencesFile::path()));
    fuzzing::require(saved && written && written->count(writtenKey) == 1,
                     "the write reached the file");
    if (stored) {
        for (const auto& [key, value] : *stored) {
            const auto found = written->find(key);
            fuzzing::require(key == writtenKey ||
                                 (found != written->end() && same(found->second, value)),
                             "a write keeps every value that was read");
        }
    } else {
        fuzzing::require(keptAside(original), "a damaged file is kept aside, never overwritten");
    }
    return 0;
}

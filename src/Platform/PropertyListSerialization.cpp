#include "Platform/PropertyListSerialization.h"
#include "Platform/TextTrimming.h"

#include <plist/plist.h>

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>

namespace orlix {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct XmlDeleter {
    void operator()(char* xml) const { plist_to_xml_free(xml); }
};

struct MallocDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// Seconds from the Unix epoch to 2001-01-01T00:00:00Z, the epoch of property-list dates.
constexpr std::time_t referenceDateOffset = 978307200;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimmedXmlSpace(std::string_view text) {
    return trimmed(text, " \t\r\n");
}

// The library reads integers like strtoull in base 0: leading zeros make octal, "0x" hex,
// trailing junk is ignored and overflow saturates. Only plain decimal within the signed 64-bit
// range is accepted here, and it is handed on in a form the library reads exactly.
std::optional<std::string> canonicalInteger(std::string_view content) {
    std::string_view text = trimmedXmlSpace(content);
    if (startsWith(text, "+")) {
        text.remove_prefix(1);
        if (startsWith(text, "-")) {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return std::to_string(value);
}

// Walks the markup once before the library sees it: rewrites every integer to canonical
// decimal, refuses nesting the library's recursive parser could not survive, and refuses
// elements left open.
class XmlPreparer {
public:
    explicit XmlPreparer(std::string_view xml)
        : xml_(xml) {
        output_.reserve(xml.size());
    }

    std::optional<std::string> run() {
        while (position_ < xml_.size()) {
            const auto open = xml_.find('<', position_);
            if (open == std::string_view::npos) {
                output_.append(xml_.substr(position_));
                break;
            }
            output_.append(xml_.substr(position_, open - position_));
            position_ = open;
            if (!step()) {
                return std::nullopt;
            }
        }
        // The library accepts a document whose closing tags are cut off; a truncated file must
        // not pass for a whole one.
        if (depth_ != 0) {
            return std::nullopt;
        }
        return std::move(output_);
    }

private:
    // Elements allowed around the deepest container: <plist>, the container's own value.
    static constexpr int maximumElementDepth = PropertyListSerialization::maximumDepth + 2;

    bool step() {
        const std::string_view rest = xml_.substr(position_);
        if (startsWith(rest, "<!--")) {
            return copyThrough("-->");
        }
        if (startsWith(rest, "<![CDATA[")) {
            return copyThrough("]]>");
        }
        if (startsWith(rest, "<?") || startsWith(rest, "<!")) {
            return copyThrough(">");
        }
        return tag();
    }

    bool copyThrough(std::string_view terminator) {
        const auto end = xml_.find(terminator, position_);
        if (end == std::string_view::npos) {
            return false;
        }
        const auto next = end + terminator.size();
        output_.append(xml_.substr(position_, next - position_));
        position_ = next;
        return true;
    }

    bool tag() {
        const auto end = xml_.find('>', position_);
        if (end == std::string_view::npos) {
            return false;
        }
        const std::string_view inside = xml_.substr(position_ + 1, end - position_ - 1);
        const bool closing = startsWith(inside, "/");
        const bool selfClosing = !inside.empty() && inside.back() == '/';
        if (closing) {
            --depth_;
        } else if (!selfClosing && ++depth_ > maximumElementDepth) {
            return false;
        }
        output_.append(xml_.substr(position_, end + 1 - position_));
        position_ = end + 1;
        if (closing || !isIntegerTag(inside)) {
            return true;
        }
        return !selfClosing && integerContent();
    }

    static bool isIntegerTag(std::string_view inside) {
        constexpr std::string_view name = "integer";
        return startsWith(inside, name) &&
               (inside.size() == name.size() ||
                std::string_view(" \t\r\n/").find(inside[name.size()]) != std::string_view::npos);
    }

    bool integerContent() {
        const auto close = xml_.find('<', position_);
        if (close == std::string_view::npos || !startsWith(xml_.substr(close), "</integer")) {
            return false;
        }
        const auto canonical = canonicalInteger(xml_.substr(position_, close - position_));
        if (!canonical) {
            return false;
        }
        output_.append(*canonical);
        position_ = close;
        return true;
    }

    std::string_view xml_;
    std::string output_;
    std::size_t position_ = 0;
    int depth_ = 0;
};

std::string isoDateText(plist_t node) {
    std::int32_t seconds = 0;
    std::int32_t microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    const std::time_t time = referenceDateOffset + seconds;
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::optional<PropertyList> fromNode(plist_t node, int depth);

std::optional<PropertyList> fromArray(plist_t node, int depth) {
    PropertyList::Array array;
    const std::uint32_t count = plist_array_get_size(node);
    array.reserve(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        auto element = fromNode(plist_array_get_item(node, index), depth + 1);
        if (!element) {
            return std::nullopt;
        }
        array.push_back(std::move(*element));
    }
    return PropertyList(std::move(array));
}

std::optional<PropertyList> fromDictionary(plist_t node, int depth) {
    PropertyList::Dictionary dictionary;
    plist_dict_iter rawIterator = nullptr;
    plist_dict_new_iter(node, &rawIterator);
    const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, rawIterator, &rawKey, &value);
        const std::unique_ptr<char, MallocDeleter> key(rawKey);
        if (!key || !value) {
            return PropertyList(std::move(dictionary));
        }
        auto element = fromNode(value, depth + 1);
        if (!element) {
            return std::nullopt;
        }
        dictionary.insert_or_assign(key.get(), std::move(*element));
    }
}

std::optional<PropertyList> fromScalar(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN:
        return PropertyList(plist_bool_val_is_true(node) != 0);
    case PLIST_UINT: {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // Negative integers are stored as their two's complement.
        return PropertyList(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyList(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return PropertyList(std::string(text, length));
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const auto* bytes =
            reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &length));
        return PropertyList(PropertyList::Data(bytes, bytes + length));
    }
    case PLIST_DATE:
        return PropertyList(isoDateText(node));
    default:
        return std::nullopt;
    }
}

std::optional<PropertyList> fromNode(plist_t node, int depth) {
    if (node == nullptr) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_ARRAY:
        return depth < PropertyListSerialization::maximumDepth ? fromArray(node, depth)
                                                               : std::nullopt;
    case PLIST_DICT:
        return depth < PropertyListSerialization::maximumDepth ? fromDictionary(node, depth)
                                                               : std::nullopt;
    default:
        return fromScalar(node);
    }
}

plist_t toNode(const PropertyList& value) {
    if (const auto* boolean = value.boolValue()) {
        return plist_new_bool(*boolean ? 1 : 0);
    }
    if (const auto* integer = value.integerValue()) {
        return plist_new_uint(static_cast<std::uint64_t>(*integer));
    }
    if (const auto* real = value.realValue()) {
        return plist_new_real(*real);
    }
    if (const auto* text = value.stringValue()) {
        return plist_new_string(text->c_str());
    }
    if (const auto* data = value.dataValue()) {
        return plist_new_data(reinterpret_cast<const char*>(data->data()), data->size());
    }
    if (const auto* array = value.arrayValue()) {
        plist_t node = plist_new_array();
        for (const auto& element : *array) {
            plist_array_append_item(node, toNode(element));
        }
        return node;
    }
    plist_t node = plist_new_dict();
    for (const auto& [key, element] : *value.dictionaryValue()) {
        plist_dict_set_item(node, key.c_str(), toNode(element));
    }
    return node;
}

} // namespace

std::optional<PropertyList> PropertyListSerialization::fromXml(std::string_view xml) {
    const auto prepared = XmlPreparer(xml).run();
    if (!prepared || prepared->empty() ||
        prepared->size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_xml(prepared->data(), static_cast<std::uint32_t>(prepared->size()), &raw);
    const PlistPtr root(raw);
    return fromNode(root.get(), 0);
}

std::string PropertyListSerialization::toXml(const PropertyList& value) {
    const PlistPtr root(toNode(value));
    char* raw = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    const std::unique_ptr<char, XmlDeleter> xml(raw);
    return xml ? std::string(xml.get(), length) : std::string();
}

} // namespace orlix

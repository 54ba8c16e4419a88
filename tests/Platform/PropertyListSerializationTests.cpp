#include "Platform/PropertyListSerialization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orlix {
namespace {

std::string document(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>";
}

PropertyList roundTrip(const PropertyList& value) {
    const auto read = PropertyListSerialization::fromXml(PropertyListSerialization::toXml(value));
    EXPECT_TRUE(read.has_value());
    return read.value_or(PropertyList("missing"));
}

TEST(PropertyListSerializationTests, ScalarsRoundTripExactly) {
    const std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
    const std::int64_t maximum = std::numeric_limits<std::int64_t>::max();
    for (const std::int64_t integer :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{-5}, std::int64_t{255},
          std::int64_t{1} << 40, minimum, maximum}) {
        EXPECT_EQ(roundTrip(PropertyList(integer)), PropertyList(integer)) << integer;
    }
    for (const double real : {0.1, -2.5, 1.0 / 3.0, 1e300, 5e-324, 2.0}) {
        const PropertyList read = roundTrip(PropertyList(real));
        ASSERT_TRUE(read.isReal()) << real;
        EXPECT_EQ(*read.realValue(), real);
    }
    EXPECT_EQ(roundTrip(PropertyList(true)), PropertyList(true));
    EXPECT_EQ(roundTrip(PropertyList(false)), PropertyList(false));
    EXPECT_TRUE(std::isinf(*roundTrip(PropertyList(-HUGE_VAL)).realValue()));
}

TEST(PropertyListSerializationTests, TextAndDataKeepEveryByte) {
    for (const std::string& text :
         {std::string(), std::string("a < b & c > d"), std::string("line one\nline two\ttab"),
          std::string("\"quoted\" 'single' ]]> <![CDATA[x]]>"),
          std::string("Grüße, 日本語, emoji \xF0\x9F\x98\x80"), std::string("  padded  ")}) {
        EXPECT_EQ(roundTrip(PropertyList(text)), PropertyList(text)) << text;
    }
    const PropertyList::Data bytes{0x00, 0xFF, 0x3C, 0x26, 0x0A, 0x80};
    EXPECT_EQ(roundTrip(PropertyList(bytes)), PropertyList(bytes));
    EXPECT_EQ(roundTrip(PropertyList(PropertyList::Data{})), PropertyList(PropertyList::Data{}));
}

TEST(PropertyListSerializationTests, NestedContainersRoundTrip) {
    const PropertyList value(PropertyList::Dictionary{
        {"integer", PropertyList(-42)},
        {"key with <markup> & \"quotes\"", PropertyList("value")},
        {"schlüssel", PropertyList(0.75)},
        {"", PropertyList("empty key")},
        {"list", PropertyList(PropertyList::Array{
                     PropertyList(1), PropertyList("two"), PropertyList(false),
                     PropertyList(PropertyList::Array{}),
                     PropertyList(PropertyList::Dictionary{{"inner", PropertyList(3.5)}})})},
        {"empty", PropertyList(PropertyList::Dictionary{})},
    });
    EXPECT_EQ(roundTrip(value), value);
}

TEST(PropertyListSerializationTests, ReadsDocumentsWrittenByOtherTools) {
    const auto read = PropertyListSerialization::fromXml(
        document("<dict><key>a</key><integer>-7</integer><key>b</key><integer> +12 </integer>"
                 "<key>c</key><real>0.5</real><key>d</key><string>x &lt;&#65;&#x42;</string>"
                 "<key>e</key><string><![CDATA[<raw & text>]]></string><key>f</key><true/>"
                 "<key>g</key><date>2001-01-02T00:00:00Z</date><key>h</key><integer>007</integer>"
                 "<!-- <integer>not a value</integer> --></dict>"));
    ASSERT_TRUE(read.has_value());
    const PropertyList expected(PropertyList::Dictionary{
        {"a", PropertyList(-7)},
        {"b", PropertyList(12)},
        {"c", PropertyList(0.5)},
        {"d", PropertyList("x <AB")},
        {"e", PropertyList("<raw & text>")},
        {"f", PropertyList(true)},
        {"g", PropertyList("2001-01-02T00:00:00Z")},
        {"h", PropertyList(7)},
    });
    EXPECT_EQ(*read, expected);
}

TEST(PropertyListSerializationTests, IntegersTheTypeCannotHoldAreRefused) {
    for (const std::string integer :
         {"9223372036854775808", "-9223372036854775809", "18446744073709551615",
          "99999999999999999999999999999999", "12abc", "0x10", "", "-", "+-1", "1.5", " "}) {
        EXPECT_FALSE(
            PropertyListSerialization::fromXml(document("<integer>" + integer + "</integer>")))
            << integer;
    }
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<integer/>")));
}

TEST(PropertyListSerializationTests, HostileInputIsRefusedWithoutCrashing) {
    const std::string valid = document("<dict><key>a</key><array><integer>1</integer>"
                                       "<string>text</string></array></dict>");
    for (std::size_t length = 0; length < valid.size(); ++length) {
        EXPECT_FALSE(PropertyListSerialization::fromXml(valid.substr(0, length))) << length;
    }
    EXPECT_TRUE(PropertyListSerialization::fromXml(valid));

    std::string garbage;
    for (int byte = 0; byte < 256; ++byte) {
        garbage += static_cast<char>(byte * 37 % 256);
    }
    EXPECT_FALSE(PropertyListSerialization::fromXml(garbage));
    EXPECT_FALSE(PropertyListSerialization::fromXml(std::string("bplist00\xD1\x01\x02", 11)));
    EXPECT_FALSE(PropertyListSerialization::fromXml("not xml at all"));
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<foo/>")));
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<array><string>x</array></string>")));
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<dict><integer>1</integer></dict>")));
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<string>&unknown;</string>")));
    EXPECT_FALSE(PropertyListSerialization::fromXml(document("<!-- never closed")));
}

TEST(PropertyListSerializationTests, NestingIsLimited) {
    const auto nested = [](int depth) {
        std::string body;
        for (int level = 0; level < depth; ++level) {
            body += "<dict><key>k</key>";
        }
        body += "<true/>";
        for (int level = 0; level < depth; ++level) {
            body += "</dict>";
        }
        return document(body);
    };
    EXPECT_TRUE(
        PropertyListSerialization::fromXml(nested(PropertyListSerialization::maximumDepth)));
    EXPECT_FALSE(
        PropertyListSerialization::fromXml(nested(PropertyListSerialization::maximumDepth + 1)));
    // Deep enough to overflow the stack of a recursive parser.
    EXPECT_FALSE(PropertyListSerialization::fromXml(nested(1000000)));
    EXPECT_FALSE(PropertyListSerialization::fromXml(std::string(1000000, '<')));
}

} // namespace
} // namespace orlix

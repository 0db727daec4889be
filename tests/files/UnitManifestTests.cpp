#include "files/UnitManifest.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
// Header fields as raw JSON values; an override of "-" drops the field.
std::string manifestWith(const std::map<std::string, std::string>& overrides = {})
{
    std::map<std::string, std::string> fields{{"platform", "\"feltan-digital\""},
                                              {"module", "\"osc\""},
                                              {"api", "\"1.2-0\""},
                                              {"dev_id", "0"},
                                              {"prg_id", "0"},
                                              {"version", "\"1.0-0\""},
                                              {"name", "\"A\""},
                                              {"num_param", "0"}};
    for (const auto& [key, value] : overrides)
        fields[key] = value;

    std::string json;
    for (const auto& [key, value] : fields)
        if (value != "-")
            json += ",\"" + key + "\":" + value;
    return "{\"header\":{" + json.substr(1) + "}}";
}

struct CheckResult
{
    std::unique_ptr<UnitHeader> header;
    std::string message;
};

CheckResult check(const std::string& json)
{
    CheckResult result;
    result.message = "previous text";
    result.header = readUnitManifest(json.data(), json.size(), result.message);
    return result;
}

std::string params(int count, const std::string& element)
{
    std::string list = "[";
    for (int i = 0; i < count; ++i)
        list += (i > 0 ? "," : "") + element;
    return list + "]";
}
} // namespace

TEST(UnitManifestTests, DelayEffectFillsOnlyItsFieldsWithLeadingZeroVersionsAndAThirteenCharacterName)
{
    const auto result = check(manifestWith({{"module", "\"delfx\""},
                                            {"num_param", "5"},
                                            {"params", "[1]"},
                                            {"api", "\"01.02-03\""},
                                            {"version", "\"99.99-99\""},
                                            {"name", "\"ABCDEFGHIJKLM\""}}));
    ASSERT_NE(result.header, nullptr);
    EXPECT_EQ(result.message, "");

    UnitHeader expected;
    expected.setTarget(0x0302);
    expected.setApi(0x010203);
    expected.setVersion(0x636363);
    expected.setName("ABCDEFGHIJKLM");
    EXPECT_EQ(*result.header, expected);
}

TEST(UnitManifestTests, OscillatorDescriptorsAreStoredInOrder)
{
    const auto result = check(manifestWith(
        {{"num_param", "\"3\""},
         {"params", R"([["Depth", -5, 100, "%"], ["Rate", 0, "10", "%"], ["ABCDEFGHIJKLMNOP", -100, -100, ""]])"}}));
    ASSERT_NE(result.header, nullptr);
    EXPECT_EQ(result.message, "Warning: param name clipped to 13chars.\n");
    EXPECT_EQ(result.header->getNumParam(), 3u);
    EXPECT_EQ(result.header->getParam(0), (UnitParamDescriptor{-5, 100, 1, "Depth"}));
    EXPECT_EQ(result.header->getParam(1), (UnitParamDescriptor{0, 10, 0, "Rate"}));
    EXPECT_EQ(result.header->getParam(2), (UnitParamDescriptor{-100, -100, 2, "ABCDEFGHIJKLM"}));
}

TEST(UnitManifestTests, RefusalsGiveTheirExactMessages)
{
    const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
        {{{"platform", "\"Feltan-digital\""}}, "Wrong target platform. (Feltan-digital)"},
        {{{"module", "\"Osc\""}}, "Invalid module specifier. (Osc)"},
        {{{"api", "\"1.2-3a\""}}, "Invalid API version format. (1.2-3a)"},
        {{{"api", "\"1.99999999999-0\""}}, "Invalid API version format. (1.99999999999-0) : stoi"},
        {{{"api", "\"1.100-0\""}}, "API version component out of range. (1.100-0)"},
        {{{"version", "\"3000000000.0-0\""}}, "Invalid version format. (3000000000.0-0) : stoi"},
        {{{"version", "\"100.0-0\""}}, "version component out of range. (100.0-0)"},
        {{{"name", "\"\""}}, "Invalid name format. Expected printable ASCII.\n"},
        {{{"name", "\"caf\\u00e9\""}}, "Invalid name format. Expected printable ASCII.\n"},
        {{{"name", "\"a\\u007f\""}}, "Invalid name format. Expected printable ASCII.\n"},
        {{{"dev_id", "\"x\""}}, "conversion of data to type \"j\" failed"},
        {{{"prg_id", "-"}}, "No such node (header.prg_id)"},
        {{{"num_param", "2"}}, "No such node (header.params)"},
        {{{"num_param", "1"}, {"params", "[[\"a\",0,0]]"}}, "Parameter descriptor #0 has invalid length."},
        {{{"num_param", "1"}, {"params", "[[\"\",0,0,\"\"]]"}},
         "Invalid param name format. Expected printable ASCII.\n"},
        {{{"num_param", "2"}, {"params", "[[\"a\",-100,100,\"\"],[\"b\",-101,0,\"\"]]"}},
         "Minimum value in parameter descriptor #1 exceeds value limits.\n"},
        {{{"num_param", "1"}, {"params", "[[\"a\",0,101,\"\"]]"}},
         "Maximum value in parameter descriptor #0 exceeds value limits.\n"},
        {{{"num_param", "1"}, {"params", "[[\"a\",0,\"1.5\",\"\"]]"}}, "conversion of data to type \"i\" failed"},
        {{{"num_param", "1"}, {"params", "[[\"a\",0,1,\"dB\"]]"}},
         "Invalid type identifier in parameter descriptor #0."},
        {{{"num_param", "62"}, {"params", "[]"}}, "Too many parameter descriptors. (62, at most 61)"},
        {{{"num_param", "7"}, {"params", params(8, R"(["p", 0, 1, "%"])")}},
         "Parameter descriptor count does not match num_param field."},
        {{{"name", "\"ABCDEFGHIJKLMN\""}, {"num_param", "2"}, {"params", "[]"}}, // warnings come first
         "Warning: name clipped to 13chars.\nParameter descriptor count does not match num_param field."}};
    for (const auto& [overrides, message] : cases)
    {
        const auto result = check(manifestWith(overrides));
        EXPECT_EQ(result.header, nullptr) << message;
        EXPECT_EQ(result.message, message);
    }
}

TEST(UnitManifestTests, SixtyOneDescriptorsFit)
{
    const auto result = check(manifestWith({{"num_param", "61"}, {"params", params(61, R"(["p", 1, 2, ""])")}}));
    ASSERT_NE(result.header, nullptr);
    EXPECT_EQ(result.header->getParam(60), (UnitParamDescriptor{1, 2, 2, "p"}));
}

TEST(UnitManifestTests, DeepOrLargeTextIsRefusedBeforeParsing)
{
    const std::string tooDeep = "Manifest is nested too deeply. (more than 64 levels)";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(65, '[') + std::string(65, ']'), tooDeep},
        // Closing brackets do not let the depth run below zero and hide later nesting.
        {std::string(10, ']') + std::string(65, '{'), tooDeep},
        {std::string(maxManifestBytes + 1, ' '), "Manifest is too large. (1048577 bytes, at most 1048576)"},
        {std::string(maxManifestBytes, ' '), "<unspecified file>(1): expected value"},
        // Within the bounds the parser has its say; brackets in strings, escaped quotes included, do not count.
        {std::string(64, '[') + std::string(64, ']'), "No such node (header.platform)"},
        {"{\"a\":\"\\\"" + std::string(100, '[') + "\"}", "No such node (header.platform)"}};
    for (const auto& [text, message] : cases)
    {
        const auto result = check(text);
        EXPECT_EQ(result.header, nullptr);
        EXPECT_EQ(result.message, message);
    }
}

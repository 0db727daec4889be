#include "files/UnitManifest.h"

#include "platform/Utf8Text.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <boost/regex.hpp>

#include <exception>
#include <sstream>

namespace
{
using boost::property_tree::ptree;

const boost::regex& versionPattern()
{
    static const boost::regex pattern("([0-9]+)[.]([0-9]+)-([0-9]+)");
    return pattern;
}

const boost::regex& printablePattern()
{
    static const boost::regex pattern("([\\x20-\\x7E]+)");
    return pattern;
}

// Refusal inside the check: the stream already holds the message.
struct Refused
{
};

// Texts of one version field: no match (and failed conversion), part above 99.
struct VersionTexts
{
    const char* badFormat;
    const char* outOfRange;
};

std::uint32_t readVersionWord(const ptree& manifest, const char* path, const VersionTexts& texts,
                              std::ostringstream& stream)
{
    const auto value = manifest.get_child(path).get_value<std::string>();
    boost::smatch match;
    if (!boost::regex_match(value, match, versionPattern()))
    {
        stream << texts.badFormat << value << ")";
        throw Refused();
    }

    int parts[3] = {};
    try
    {
        for (int i = 0; i < 3; ++i)
            parts[i] = std::stoi(match[i + 1].str(), nullptr, 10);
    }
    catch (const std::exception& e)
    {
        stream << texts.badFormat << value << ") : " << e.what();
        throw Refused();
    }

    for (const int part : parts)
    {
        if (part > 99)
        {
            stream << texts.outOfRange << value << ")";
            throw Refused();
        }
    }
    return makeUnitVersionWord(static_cast<unsigned>(parts[0]), static_cast<unsigned>(parts[1]),
                               static_cast<unsigned>(parts[2]));
}

// Matches a printable name, clips it to 13 characters with a warning.
std::string readPrintableName(const ptree& node, const char* badFormat, const char* clippedWarning,
                              std::ostringstream& stream)
{
    auto name = node.get_value<std::string>();
    if (!boost::regex_match(name, printablePattern()))
    {
        stream << badFormat << "\n";
        throw Refused();
    }
    if (name.size() > UnitHeader::maxNameLength)
    {
        stream << clippedWarning << UnitHeader::maxNameLength << "chars.\n";
        name.resize(UnitHeader::maxNameLength);
    }
    return name;
}

std::int8_t readLimit(const ptree& node, const char* which, std::size_t n, std::ostringstream& stream)
{
    const int value = node.get_value<int>();
    if (value < -100 || value > 100)
    {
        stream << which << n << " exceeds value limits.\n";
        throw Refused();
    }
    return static_cast<std::int8_t>(value);
}

void readParamDescriptors(const ptree& manifest, std::uint32_t numParam, UnitHeader& header, std::ostringstream& stream)
{
    const auto& params = manifest.get_child("header.params");
    if (params.size() != numParam)
    {
        stream << "Parameter descriptor count does not match num_param field.";
        throw Refused();
    }

    std::size_t n = 0;
    for (const auto& element : params)
    {
        const auto& values = element.second;
        if (values.size() != 4)
        {
            stream << "Parameter descriptor #" << n << " has invalid length.";
            throw Refused();
        }

        auto value = values.begin();
        UnitParamDescriptor descriptor;
        descriptor.name = readPrintableName(value->second, "Invalid param name format. Expected printable ASCII.",
                                            "Warning: param name clipped to ", stream);
        descriptor.min = readLimit((++value)->second, "Minimum value in parameter descriptor #", n, stream);
        descriptor.max = readLimit((++value)->second, "Maximum value in parameter descriptor #", n, stream);

        const auto typeKey = (++value)->second.get_value<std::string>();
        const auto typeIndex = paramTypeIndexFromKey(typeKey);
        if (!typeIndex)
        {
            stream << "Invalid type identifier in parameter descriptor #" << n << ".";
            throw Refused();
        }
        if (*typeIndex == 0)
            descriptor.type = static_cast<std::uint8_t>(descriptor.min < 0 ? UnitParamType::PercentBipolar
                                                                           : UnitParamType::PercentUnipolar);
        else
            descriptor.type = static_cast<std::uint8_t>(UnitParamType::Plain);

        header.setParam(n, descriptor);
        ++n;
    }
}

void fillHeader(const ptree& manifest, UnitHeader& header, std::ostringstream& stream)
{
    const auto platformKey = manifest.get_child("header.platform").get_value<std::string>();
    const auto platform = unitPlatformFromKey(platformKey);
    if (!platform)
    {
        stream << "Wrong target platform. (" << platformKey << ")";
        throw Refused();
    }

    const auto moduleKey = manifest.get_child("header.module").get_value<std::string>();
    const auto module = unitModuleFromKey(moduleKey);
    if (!module)
    {
        stream << "Invalid module specifier. (" << moduleKey << ")";
        throw Refused();
    }
    header.setTarget(*platform, *module);

    header.setApi(readVersionWord(manifest, "header.api",
                                  {"Invalid API version format. (", "API version component out of range. ("}, stream));
    header.setDevId(manifest.get_child("header.dev_id").get_value<std::uint32_t>());
    header.setPrgId(manifest.get_child("header.prg_id").get_value<std::uint32_t>());
    header.setVersion(readVersionWord(manifest, "header.version",
                                      {"Invalid version format. (", "version component out of range. ("}, stream));

    header.setName(readPrintableName(manifest.get_child("header.name"),
                                     "Invalid name format. Expected printable ASCII.", "Warning: name clipped to ",
                                     stream));

    if (*module != UnitModule::Oscillator)
        return;

    const auto numParam = manifest.get_child("header.num_param").get_value<std::uint32_t>();
    header.setNumParam(numParam);
    if (numParam == 0)
        return;

    // Only 61 descriptors fit in the part of the header a unit data block keeps.
    if (numParam > UnitHeader::maxParamDescriptors)
    {
        stream << "Too many parameter descriptors. (" << numParam << ", at most " << UnitHeader::maxParamDescriptors
               << ")";
        throw Refused();
    }

    readParamDescriptors(manifest, numParam, header, stream);
}
// False, with the message, when the text nests arrays and objects deeper than the parser may recurse.
bool checkManifestDepth(const std::string& text, std::string& message)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text)
    {
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }

        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{')
        {
            if (++depth > maxManifestDepth)
            {
                message = "Manifest is nested too deeply. (more than " + std::to_string(maxManifestDepth) + " levels)";
                return false;
            }
        }
        else if ((c == ']' || c == '}') && depth > 0)
            --depth;
    }
    return true;
}
} // namespace

std::unique_ptr<UnitHeader> readUnitManifest(const void* bytes, std::size_t numBytes, std::string& message)
{
    if (numBytes > maxManifestBytes)
    {
        message = "Manifest is too large. (" + std::to_string(numBytes) + " bytes, at most " +
                  std::to_string(maxManifestBytes) + ")";
        return nullptr;
    }

    // A zero byte ends the text.
    const auto text = decodeUtf8Text(bytes, numBytes).toStdString();
    if (!checkManifestDepth(text, message))
        return nullptr;

    try
    {
        std::stringstream json(text);
        boost::property_tree::ptree tree;
        boost::property_tree::read_json(json, tree);
        return parseUnitManifest(tree, message);
    }
    catch (const std::exception& e)
    {
        message = e.what();
        return nullptr;
    }
}

std::unique_ptr<UnitHeader> parseUnitManifest(const boost::property_tree::ptree& manifest, std::string& message)
{
    std::ostringstream stream;
    auto header = std::make_unique<UnitHeader>();

    try
    {
        fillHeader(manifest, *header, stream);
    }
    catch (const Refused&)
    {
        message = stream.str();
        return nullptr;
    }
    catch (const std::exception& e)
    {
        stream << e.what();
        message = stream.str();
        return nullptr;
    }

    message = stream.str();
    return header;
}

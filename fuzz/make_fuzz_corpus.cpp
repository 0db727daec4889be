// Writes the seed corpora of the fuzz targets: small valid inputs made here from the
// program's own formats (unit files and manifests, System Exclusive messages, preferences
// and text tables), so that fuzzing starts from inputs that pass the first checks.
// Usage: make_fuzz_corpus <folder>; the seeds of fuzz_x go into <folder>/fuzz_x/.

#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "data/UnitHeader.h"
#include "midi/SysExMessages.h"
#include "support/files/UnitFileBuilder.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;

Bytes toBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes toBytes(const juce::MemoryBlock& block)
{
    const auto* data = static_cast<const juce::uint8*>(block.getData());
    return Bytes(data, data + block.getSize());
}

class Corpus
{
public:
    explicit Corpus(const juce::File& folderToUse) : folder(folderToUse) {}

    void add(const char* target, const Bytes& seed)
    {
        const auto targetFolder = folder.getChildFile(target);
        if (!targetFolder.createDirectory() ||
            !targetFolder.getChildFile("seed-" + juce::String(count++)).replaceWithData(seed.data(), seed.size()))
        {
            std::fprintf(stderr, "Cannot write the seeds of %s\n", target);
            failed = true;
        }
    }

    bool failed = false;

private:
    juce::File folder;
    int count = 0;
};

struct Manifest
{
    std::string platform;
    std::string module;
    std::string name;
    std::string params; // oscillators: the JSON array of descriptors, "" for none
    std::size_t numParam;
};

std::string toJson(const Manifest& m)
{
    std::string json = "{\n  \"header\": {\n    \"platform\": \"" + m.platform + "\",\n    \"module\": \"" + m.module +
                       "\",\n    \"api\": \"1.2-0\",\n    \"dev_id\": 305419896,\n    \"prg_id\": \"7\",\n"
                       "    \"version\": \"1.0-3\",\n    \"name\": \"" +
                       m.name + "\"";
    if (m.module == "osc")
        json += ",\n    \"num_param\": " + std::to_string(m.numParam);
    if (!m.params.empty())
        json += ",\n    \"params\": " + m.params;
    return json + "\n  }\n}\n";
}

std::vector<Manifest> manifests()
{
    std::vector<Manifest> list;
    for (const auto module : moduleKeys)
        list.push_back({"feltan-digital", std::string(module), "Seed", "", 0});
    list.push_back(
        {"cantorel", "osc", "A name longer than thirteen", R"([["Depth", -5, 100, "%"], ["Rate", 0, 10, ""]])", 2});
    list.push_back({"parvolin-vr", "modfx", "Chorus", "", 0});

    std::string many = "[";
    for (std::size_t i = 0; i < UnitHeader::maxParamDescriptors; ++i)
        many += std::string(i > 0 ? ", " : "") + "[\"P" + std::to_string(i) + "\", " +
                std::to_string(static_cast<int>(i) - 50) + ", 100, \"%\"]";
    list.push_back({"feltan-digital", "osc", "Many", many + "]", UnitHeader::maxParamDescriptors});
    return list;
}

juce::MemoryBlock payloadFor(const std::string& module)
{
    test::UnitFileOptions options;
    options.module = *unitModuleFromKey(module);
    options.payloadSize = moduleTagSize + 60;
    return test::makePayload(options);
}

juce::MemoryBlock zipOf(const std::string& manifest, const juce::MemoryBlock& payload, bool compress, bool folderEntry)
{
    std::vector<test::ZipMember> members;
    if (folderEntry)
        members.push_back({"unit/", {}, false});
    members.push_back({"unit/manifest.json", test::toBlock(manifest), compress});
    members.push_back({"unit/payload.bin", payload, compress});
    return test::buildZip(members);
}

void addUnitSeeds(Corpus& corpus)
{
    int layout = 0;
    for (const auto& manifest : manifests())
    {
        const auto json = toJson(manifest);
        const auto payload = payloadFor(manifest.module);
        corpus.add("fuzz_manifest", toBytes(json));

        // The reader's first byte: 0 for a whole archive, 1 for a manifest length, manifest and payload.
        Bytes archive{0};
        const auto zip = zipOf(json, payload, layout % 2 == 0, layout % 3 == 0);
        archive.insert(archive.end(), static_cast<const juce::uint8*>(zip.getData()),
                       static_cast<const juce::uint8*>(zip.getData()) + zip.getSize());
        corpus.add("fuzz_unit_file_reader", archive);
        ++layout;

        Bytes parts{1, static_cast<juce::uint8>(json.size() & 0xFF), static_cast<juce::uint8>(json.size() >> 8)};
        const auto payloadBytes = toBytes(payload);
        parts.insert(parts.end(), json.begin(), json.end());
        parts.insert(parts.end(), payloadBytes.begin(), payloadBytes.end());
        corpus.add("fuzz_unit_file_reader", parts);
    }
}

std::vector<Bytes> sysExMessages()
{
    using namespace w40388_midi;
    const auto family = sysex::instrumentFamilyId;
    std::vector<Bytes> list{makeIdentityRequest(), makeUserSlotHeaderRequest(family, 0, 4, 3),
                            makeClearUserSlot(family, 0, 1, 15), makeSwapUserSlots(family, 0, 2, 0, 7)};

    const juce::uint8 unitData[] = {0x02, 0x04, 0x00, 0x00, 0xFF, 0x80, 0x7F, 'U', 'O', 'S', 'C', 0x00, 0x81};
    list.push_back(makeUserSlotDataDump(family, 0, 4, 0, unitData, sizeof(unitData)));

    // The instrument's answers: identity, acknowledgements, errors, slot headers.
    list.push_back({sysex::sysExStart, sysex::universalNonRealTime, 0x00, sysex::generalInformation,
                    sysex::identityReplyId, sysex::makerId, static_cast<juce::uint8>(family & 0xFF),
                    static_cast<juce::uint8>(family >> 8), 0x01, 0x00, 0x01, 0x02, 0x00, 0x00, sysex::sysExEnd});
    for (const juce::uint8 function : {sysex::ack, sysex::nak, sysex::function26, sysex::firstUserCommError,
                                       sysex::function47, sysex::function48, sysex::userSlotDataDump})
    {
        Bytes answer(sysex::makerHeaderSize);
        writeMakerHeader(answer.data(), family, 0);
        answer.insert(answer.end(), {function, 0x00, sysex::sysExEnd});
        list.push_back(answer);
    }

    Bytes empty(sysex::makerHeaderSize);
    writeMakerHeader(empty.data(), family, 0);
    empty.insert(empty.end(), {sysex::userSlotHeaderDump, 0x04, 0x01, sysex::sysExEnd});
    list.push_back(empty);

    Bytes header(sysex::slotHeaderSize);
    for (size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<juce::uint8>(i * 37);
    Bytes full(sysex::slotHeaderDumpPackedOffset);
    writeMakerHeader(full.data(), family, 0);
    full[6] = sysex::userSlotHeaderDump;
    full[7] = 0x04;
    full[8] = 0x02;
    full.resize(sysex::slotHeaderDumpPackedOffset + sysex::slotHeaderPackedSize);
    const int count = sysex::slotHeaderSize;
    packSysExData(full.data() + sysex::slotHeaderDumpPackedOffset, header.data(), &count);
    full.push_back(sysex::sysExEnd);
    list.push_back(full);
    return list;
}

void addMidiSeeds(Corpus& corpus)
{
    Bytes stream;
    for (const auto& message : sysExMessages())
    {
        corpus.add("fuzz_sysex_classify", message);
        // The parser's input ends in the packet count, taken from the last byte: 0 is one packet.
        auto single = message;
        single.push_back(0);
        corpus.add("fuzz_midi_parser", single);
        stream.insert(stream.end(), message.begin(), message.end());
    }

    // Short messages, a clock byte inside a System Exclusive message, then all the messages
    // above cut into three packets (lengths 7 and 100, then the rest; each length is two
    // bytes, low byte first, read from the end before the count).
    Bytes mixed{0x90, 0x3C, 0x64, 0x80, 0x3C, 0x00, 0xB0, 0x07, 0x7F, 0xC0, 0x05, 0xF0, 0x42, 0xF8, 0x30, 0xF7};
    mixed.insert(mixed.end(), stream.begin(), stream.end());
    mixed.insert(mixed.end(), {100, 0, 7, 0, 2});
    corpus.add("fuzz_midi_parser", mixed);
}

void addXmlSeeds(Corpus& corpus)
{
    using namespace w40388_preferences;
    juce::XmlElement preferences(preferencesRootTag);
    const char* values[] = {"1",   "0",   "MIDI In", "MIDI Out", "1",   "1", "/home/user/units",
                            "900", "640", "20",      "40",       "300", "24"};
    for (size_t i = 0; i < preferenceKeys.size(); ++i)
        preferences.createNewChildElement(preferenceKeys[i])->setAttribute(preferencesValueAttribute, values[i]);
    corpus.add("fuzz_preferences", toBytes(preferences.toString().toStdString()));

    juce::XmlElement table(CTRXResource::tableName);
    table.createNewChildElement("CommonOK")->setAttribute("Text", "OK");
    table.createNewChildElement("CommonCancel")->setAttribute("Text", "Cancel");
    table.createNewChildElement("MenuFileImportUserUnit")->setAttribute("Text", "Import User Unit...");
    table.createNewChildElement("CommonYes")->setAttribute("Text", juce::CharPointer_UTF8("\xe3\x81\xaf\xe3\x81\x84"));
    corpus.add("fuzz_text_table", toBytes(table.toString().toStdString()));
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf(stderr, "Usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }

    Corpus corpus(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    addUnitSeeds(corpus);
    addMidiSeeds(corpus);
    addXmlSeeds(corpus);
    return corpus.failed ? 1 : 0;
}

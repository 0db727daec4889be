#include "files/ReadError.h"
#include "files/UserUnitFileReader.h"
#include "files/ZipUserUnitFileReader.h"

#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"

#include <gtest/gtest.h>

namespace
{
// What a read left behind: the code, the target, and the working state's message.
struct ReadOutcome
{
    ReadError code;
    w40388_data::UserUnitData target;
    juce::String message;
};

ReadOutcome readBytes(const juce::MemoryBlock& bytes)
{
    ReadOutcome outcome;
    w40388_file::ZipUserUnitFileReader working(bytes.getData(), bytes.getSize());
    outcome.code = working.readInto(outcome.target);
    outcome.message = working.getMessage();
    return outcome;
}

void expectUntouched(const w40388_data::UserUnitData& target)
{
    EXPECT_EQ(target.unitData.getSize(), 0u);
    EXPECT_EQ(target.message, "Uninitialized data.");
}

const std::string validOscManifest = test::makeManifestJson({});
} // namespace

TEST(UserUnitFileReaderTests, ReadsEveryModuleIntoTheTarget)
{
    // Payloads that declare no size, around the length the inflated block starts from, and one that
    // is its module's tag and nothing else.
    const std::pair<int, std::size_t> modulesAndPayloadSizes[] = {{0, 300},  {1, 4096},  {2, 4097},
                                                                  {3, 9000}, {4, 70000}, {3, 4}};
    for (const auto& [module, payloadSize] : modulesAndPayloadSizes)
    {
        test::UnitFileOptions options;
        options.module = static_cast<UnitModule>(module);
        options.platform = UnitPlatform::ParvolinVr;
        options.payloadSize = payloadSize;
        // Each id in its own header word.
        options.devId = 0x01020304u + static_cast<std::uint32_t>(module);
        options.prgId = 0x7A6B5C4Du;
        auto payload = test::deflatedEntry("unit/payload.bin", test::makePayload(options));
        payload.declaredUncompressedSize = 0;
        const auto outcome = readBytes(
            test::buildRawZip({test::storedEntry("unit/manifest.json", test::makeManifestJson(options)), payload}));
        ASSERT_EQ(outcome.code, ReadError::NoError) << module << ' ' << payloadSize;
        EXPECT_EQ(outcome.target.message, "");
        EXPECT_EQ(outcome.target.unitData, test::makeUnitDataBlock(options));
    }
}

// One file and what reading it must give; a failure leaves the target untouched.
struct ReadCase
{
    const char* what;
    juce::MemoryBlock bytes;
    ReadError code;
    std::string message = {}; // checked when not empty
};

TEST(UserUnitFileReaderTests, ArchiveLayoutsAndManifestsGiveTheirReadCodes)
{
    const auto manifest = test::toBlock(validOscManifest);
    const auto payload = test::makePayload({});
    const auto unitFileWith = [&payload](const std::string& json) { return test::buildUnitFile(json, payload); };
    const auto rawZip = [](std::vector<test::RawZipEntry> entries) { return test::buildRawZip(entries); };
    using test::storedEntry;
    const auto members = [&](const std::string& manifestName, const std::string& payloadName) {
        return rawZip({storedEntry(manifestName, manifest), storedEntry(payloadName, payload)});
    };

    std::string notUtf8;
    for (int i = 0; i < 10; ++i)
        notUtf8 += "\xf0\x80\x80\x81";
    notUtf8 += "/";
    test::UnitFileOptions modulation;
    modulation.module = UnitModule::ModulationEffect;
    test::UnitFileOptions unnamed;
    unnamed.name = "";
    auto bomb =
        test::deflatedEntry("U/payload.bin", juce::MemoryBlock(MemoryBasedZipUncompressor::maxEntryBytes + 1, true));
    bomb.declaredUncompressedSize = 0;
    auto commentedFolder = test::folderEntry("U/");
    commentedFolder.comment = "unit folder";
    auto commentedManifest = storedEntry("U/manifest.json", manifest);
    commentedManifest.comment = std::string(50, 'm');
    test::RawZipLayout archiveComment;
    archiveComment.commentSize = 30;

    const ReadCase cases[] = {
        {"folder entry first, stored members",
         rawZip({test::folderEntry("U/"), storedEntry("U/manifest.json", manifest),
                 storedEntry("U/payload.bin", payload)}),
         ReadError::NoError},
        {"as a zip tool writes it", test::buildZipToolUnitFile({}), ReadError::NoError},
        {"comments on the entries and the archive",
         test::buildRawZip({commentedFolder, commentedManifest, storedEntry("U/payload.bin", payload)}, archiveComment),
         ReadError::NoError},
        {"the first of two payloads",
         rawZip({storedEntry("U/manifest.json", manifest), storedEntry("U/payload.bin", payload),
                 storedEntry("U/payload.bin", test::makePayload(modulation))}),
         ReadError::NoError},
        // Each overlong sequence decodes to one character, shorter than its bytes.
        {"folder name that is not UTF-8", members(notUtf8 + "manifest.json", notUtf8 + "payload.bin"),
         ReadError::NoError},
        {"zero byte ends the manifest text", unitFileWith(validOscManifest + std::string(1, '\0') + "{{ not json"),
         ReadError::NoError},
        {"no archive", test::toBlock("PK but not really a zip"), ReadError::InvalidUserUnitFile},
        {"manifest only", rawZip({storedEntry("U/manifest.json", manifest)}), ReadError::InvalidUserUnitFile},
        {"members without folder", members("manifest.json", "payload.bin"), ReadError::InvalidUserUnitFile},
        {"two folders deep", members("A/B/manifest.json", "A/B/payload.bin"), ReadError::UserUnitFileMissingManifest},
        {"manifest name in other case", members("U/Manifest.json", "U/payload.bin"),
         ReadError::UserUnitFileMissingManifest},
        {"members in another folder than the first entry",
         rawZip({test::folderEntry("X/"), storedEntry("U/manifest.json", manifest),
                 storedEntry("U/payload.bin", payload)}),
         ReadError::UserUnitFileMissingManifest},
        {"payload name in other case", members("U/manifest.json", "U/Payload.bin"),
         ReadError::UserUnitFileMissingPayload},
        {"not json", rawZip({storedEntry("U/manifest.json", "{\"header\": [}"), storedEntry("U/payload.bin", payload)}),
         ReadError::FailedToParseUserUnitManifest},
        {"empty payload", rawZip({storedEntry("U/manifest.json", manifest), storedEntry("U/payload.bin", "")}),
         ReadError::FailedToReadUserUnitFile},
        {"payload of another module", test::buildUnitFile(validOscManifest, test::makePayload(modulation)),
         ReadError::FailedToReadUserUnitFile, "Binary magic bytes do not match the manifest's declared target module."},
        {"refused manifest", test::buildUnitFile(unnamed), ReadError::FailedToParseUserUnitManifest,
         "Invalid name format. Expected printable ASCII.\n"},
        {"inflating beyond the limit", rawZip({storedEntry("U/manifest.json", manifest), bomb}),
         ReadError::FailedToUncompressZipFile}};

    for (const auto& readCase : cases)
    {
        SCOPED_TRACE(readCase.what);
        const auto outcome = readBytes(readCase.bytes);
        EXPECT_EQ(outcome.code, readCase.code);
        if (!readCase.message.empty())
        {
            EXPECT_EQ(outcome.message.toStdString(), readCase.message);
        }
        if (readCase.code == ReadError::NoError)
            EXPECT_EQ(outcome.target.unitData, test::makeUnitDataBlock({}));
        else
            expectUntouched(outcome.target);
    }
}

TEST(UserUnitFileReaderTests, FailedReadLeavesTheTargetAsItWas)
{
    test::TemporaryUnitFile goodFile(test::buildUnitFile(test::UnitFileOptions{}));
    test::TemporaryUnitFile badFile(test::buildUnitFile(validOscManifest, juce::MemoryBlock()));
    const test::TemporaryFolder folder;

    w40388_data::UserUnitData target;
    w40388_file::UserUnitFileReader reader(target);
    EXPECT_EQ(reader.read(folder.getChildFile("absent.ftndigunit")), static_cast<int>(ReadError::InvalidUserUnitFile));
    expectUntouched(target);
    ASSERT_EQ(reader.read(goodFile.getFile()), 0);
    const auto before = target.unitData;
    EXPECT_EQ(reader.read(badFile.getFile()), static_cast<int>(ReadError::FailedToReadUserUnitFile));
    EXPECT_EQ(target.unitData, before);
    EXPECT_EQ(target.message, "");
}

#include "files/ReadError.h"
#include "files/UserUnitFileReader.h"
#include "files/ZipUserUnitFileReader.h"

#include "data/UnitDataBlock.h"
#include "support/files/UnitFileBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

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
    test::TemporaryUnitFile file(bytes);
    ReadOutcome outcome;
    w40388_file::ZipUserUnitFileReader working(file.getFile());
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
    for (int module = 0; module < numUnitModules; ++module)
    {
        test::UnitFileOptions options;
        options.module = static_cast<UnitModule>(module);
        options.platform = UnitPlatform::ParvolinVr;
        options.payloadSize = 300 + static_cast<std::size_t>(module);
        test::TemporaryUnitFile file(test::buildUnitFile(options));

        w40388_data::UserUnitData target;
        w40388_file::UserUnitFileReader reader(target);
        ASSERT_EQ(reader.read(file.getFile()), 0) << module;
        EXPECT_EQ(target.message, "");
        EXPECT_EQ(target.unitData, test::makeUnitDataBlock(options));
        EXPECT_EQ(target.unitData.getSize(), options.payloadSize + 1156);
        EXPECT_EQ(UnitDataBlock::getPayloadSize(target.unitData), options.payloadSize);
    }
}

TEST(UserUnitFileReaderTests, TopFolderComesFromTheFirstEntry)
{
    const auto manifest = test::toBlock(validOscManifest);
    const auto payload = test::makePayload({});

    // With a folder entry first, stored members.
    auto outcome = readBytes(test::buildRawZip({test::folderEntry("U/"), test::storedEntry("U/manifest.json", manifest),
                                                test::storedEntry("U/payload.bin", payload)}));
    EXPECT_EQ(outcome.code, ReadError::NoError);
    EXPECT_EQ(outcome.target.unitData, test::makeUnitDataBlock({}));

    // Without it, deflated members.
    outcome = readBytes(test::buildRawZip(
        {test::deflatedEntry("U/manifest.json", manifest), test::deflatedEntry("U/payload.bin", payload)}));
    EXPECT_EQ(outcome.code, ReadError::NoError);
}

TEST(UserUnitFileReaderTests, ZeroByteEndsTheManifestText)
{
    const auto outcome = readBytes(test::buildUnitFile(validOscManifest + std::string(1, '\0') + "{{ not json",
                                                       test::makePayload({})));
    EXPECT_EQ(outcome.code, ReadError::NoError);
}

struct LayoutCase
{
    const char* what;
    std::vector<test::RawZipEntry> entries;
    ReadError code;
};

class UserUnitFileReaderLayoutTests : public testing::TestWithParam<LayoutCase>
{
};

TEST_P(UserUnitFileReaderLayoutTests, RefusesWithCodeAndLeavesTargetUntouched)
{
    const auto outcome = readBytes(test::buildRawZip(GetParam().entries));
    EXPECT_EQ(outcome.code, GetParam().code) << GetParam().what;
    expectUntouched(outcome.target);
}

const auto manifestBlock = test::toBlock(validOscManifest);
const auto payloadBlock = test::makePayload({});

INSTANTIATE_TEST_SUITE_P(
    Archives, UserUnitFileReaderLayoutTests,
    testing::Values(
        LayoutCase{"empty archive", {}, ReadError::InvalidUserUnitFile},
        LayoutCase{"manifest only", {test::storedEntry("manifest.json", manifestBlock)}, ReadError::InvalidUserUnitFile},
        LayoutCase{"members without folder",
                   {test::storedEntry("manifest.json", manifestBlock), test::storedEntry("payload.bin", payloadBlock)},
                   ReadError::InvalidUserUnitFile},
        LayoutCase{"two folders deep",
                   {test::storedEntry("A/B/manifest.json", manifestBlock),
                    test::storedEntry("A/B/payload.bin", payloadBlock)},
                   ReadError::UserUnitFileMissingManifest},
        LayoutCase{"manifest name in other case",
                   {test::storedEntry("U/Manifest.json", manifestBlock), test::storedEntry("U/payload.bin", payloadBlock)},
                   ReadError::UserUnitFileMissingManifest},
        LayoutCase{"payload name in other case",
                   {test::storedEntry("U/manifest.json", manifestBlock), test::storedEntry("U/Payload.bin", payloadBlock)},
                   ReadError::UserUnitFileMissingPayload},
        LayoutCase{"members in another folder than the first entry",
                   {test::folderEntry("X/"), test::storedEntry("U/manifest.json", manifestBlock),
                    test::storedEntry("U/payload.bin", payloadBlock)},
                   ReadError::UserUnitFileMissingManifest},
        LayoutCase{"not json",
                   {test::storedEntry("U/manifest.json", "{\"header\": [}"),
                    test::storedEntry("U/payload.bin", payloadBlock)},
                   ReadError::FailedToParseUserUnitManifest},
        LayoutCase{"empty payload",
                   {test::storedEntry("U/manifest.json", manifestBlock), test::storedEntry("U/payload.bin", "")},
                   ReadError::FailedToReadUserUnitFile}));

TEST(UserUnitFileReaderTests, FilesThatAreNoArchivesAreInvalid)
{
    EXPECT_EQ(readBytes(test::toBlock("PK but not really a zip")).code, ReadError::InvalidUserUnitFile);

    w40388_data::UserUnitData target;
    w40388_file::UserUnitFileReader reader(target);
    EXPECT_EQ(reader.read(juce::File::getSpecialLocation(juce::File::tempDirectory).getChildFile("absent.ftndigunit")),
              static_cast<int>(ReadError::InvalidUserUnitFile));
    expectUntouched(target);
}

TEST(UserUnitFileReaderTests, PayloadOfAnotherModuleIsRefused)
{
    test::UnitFileOptions modulation;
    modulation.module = UnitModule::ModulationEffect;
    const auto outcome = readBytes(test::buildUnitFile(validOscManifest, test::makePayload(modulation)));
    EXPECT_EQ(outcome.code, ReadError::FailedToReadUserUnitFile);
    EXPECT_EQ(outcome.message, "Binary magic bytes do not match the manifest's declared target module.");
    expectUntouched(outcome.target);
}

TEST(UserUnitFileReaderTests, RefusedManifestKeepsTheCheckMessage)
{
    test::UnitFileOptions options;
    options.name = "";
    auto outcome = readBytes(test::buildUnitFile(options));
    EXPECT_EQ(outcome.code, ReadError::FailedToParseUserUnitManifest);
    EXPECT_EQ(outcome.message, "Invalid name format. Expected printable ASCII.\n");
    expectUntouched(outcome.target);

    // More descriptors than the header holds.
    std::string tooMany = R"({"header":{"platform":"feltan-digital","module":"osc","api":"1.0-0","dev_id":0,)"
                          R"("prg_id":0,"version":"1.0-0","name":"x","num_param":62,"params":[]}})";
    outcome = readBytes(test::buildUnitFile(tooMany, test::makePayload({})));
    EXPECT_EQ(outcome.code, ReadError::FailedToParseUserUnitManifest);
    EXPECT_EQ(outcome.message, "Too many parameter descriptors. (62, at most 61)");
}

TEST(UserUnitFileReaderTests, HostileManifestsAreRefusedBeforeParsing)
{
    // Nesting this deep would overflow the JSON parser's recursion.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    auto outcome = readBytes(test::buildUnitFile(deep, test::makePayload({})));
    EXPECT_EQ(outcome.code, ReadError::FailedToParseUserUnitManifest);
    EXPECT_EQ(outcome.message, "Manifest is nested too deeply. (more than 64 levels)");

    outcome = readBytes(test::buildUnitFile(validOscManifest + std::string(1024 * 1024, ' '), test::makePayload({})));
    EXPECT_EQ(outcome.code, ReadError::FailedToParseUserUnitManifest);
    EXPECT_EQ(outcome.message, "Manifest is too large. (" + juce::String(validOscManifest.size() + 1024 * 1024) +
                                   " bytes)");
}

TEST(UserUnitFileReaderTests, ArchiveInflatingBeyondTheLimitIsRefused)
{
    auto payload = test::deflatedEntry("U/payload.bin",
                                       juce::MemoryBlock(MemoryBasedZipUncompressor::maxEntryBytes + 1, true));
    payload.declaredUncompressedSize = 0;
    const auto outcome = readBytes(test::buildRawZip({test::storedEntry("U/manifest.json", manifestBlock), payload}));
    EXPECT_EQ(outcome.code, ReadError::FailedToUncompressZipFile);
    expectUntouched(outcome.target);
}

TEST(UserUnitFileReaderTests, FailedReadLeavesAFilledTargetAsItWas)
{
    test::UnitFileOptions good;
    test::TemporaryUnitFile goodFile(test::buildUnitFile(good));
    test::TemporaryUnitFile badFile(test::buildUnitFile(validOscManifest, juce::MemoryBlock()));

    w40388_data::UserUnitData target;
    w40388_file::UserUnitFileReader reader(target);
    ASSERT_EQ(reader.read(goodFile.getFile()), 0);
    const auto before = target.unitData;
    EXPECT_EQ(reader.read(badFile.getFile()), static_cast<int>(ReadError::FailedToReadUserUnitFile));
    EXPECT_EQ(target.unitData, before);
    EXPECT_EQ(target.message, "");
}

TEST(UserUnitFileReaderTests, ReadErrorKeysFollowTheCodes)
{
    EXPECT_STREQ(getReadErrorKey(ReadError::NoError), "ReadErrorNoError");
    EXPECT_STREQ(getReadErrorKey(ReadError::FailedToUncompressZipFile), "ReadErrorFailedToUncompressZipFile");
    EXPECT_STREQ(getReadErrorKey(ReadError::FailedToReadUserUnitFile), "ReadErrorFailedToReadUserUnitFile");
    EXPECT_STREQ(getReadErrorKey(ReadError::InvalidUserUnitFile), "ReadErrorInvalidUserUnitFile");
    EXPECT_STREQ(getReadErrorKey(ReadError::UserUnitFileMissingManifest), "ReadErrorUserUnitFileMissingManifest");
    EXPECT_STREQ(getReadErrorKey(ReadError::UserUnitFileMissingPayload), "ReadErrorUserUnitFileMissingPayload");
    EXPECT_STREQ(getReadErrorKey(ReadError::FailedToParseUserUnitManifest), "ReadErrorFailedToParseUserUnitManifest");
    EXPECT_STREQ(getReadErrorKey(ReadError::UserUnitFileWrongModule), "ReadErrorUserUnitFileWrongModule");
    EXPECT_STREQ(getReadErrorKey(29), "");
}

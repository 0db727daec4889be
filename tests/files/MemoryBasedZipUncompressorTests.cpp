#include "files/MemoryBasedZipUncompressor.h"

#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"

#include <gtest/gtest.h>

namespace
{
std::string textOf(const juce::MemoryBlock& block)
{
    return std::string(static_cast<const char*>(block.getData()), block.getSize());
}

// The archive read where it lies; the file constructor only reads a file's bytes first.
struct OpenedArchive
{
    explicit OpenedArchive(const juce::MemoryBlock& b) : bytes(b), archive(bytes.getData(), bytes.getSize()) {}

    juce::MemoryBlock bytes;
    MemoryBasedZipUncompressor archive;
};

juce::Result uncompressed(const std::vector<test::RawZipEntry>& entries)
{
    return OpenedArchive(test::buildRawZip(entries)).archive.uncompressAll();
}
} // namespace

TEST(MemoryBasedZipUncompressorTests, MissingFileHasNoEntries)
{
    const test::TemporaryFolder folder;
    MemoryBasedZipUncompressor missing(folder.getChildFile("no-such-unit-file.ftndigunit"));
    EXPECT_EQ(missing.getNumEntries(), 0);
    EXPECT_EQ(missing.uncompressEntry(0).getErrorMessage(), "Failed to open the zip file for reading");
    EXPECT_EQ(missing.createStreamForEntry(0), nullptr);
}

TEST(MemoryBasedZipUncompressorTests, StoresFilesNotFoldersAndKeepsTheFirstOfDuplicateNames)
{
    auto unknownMethod = test::deflatedEntry("x", "inflate me");
    unknownMethod.method = 12; // inflated like deflate
    auto noLocalHeader = test::storedEntry("L", "data");
    noLocalHeader.withLocalHeader = false;
    OpenedArchive opened(
        test::buildRawZip({test::folderEntry("U/"), test::storedEntry("U/a.txt", "stored text"),
                           test::deflatedEntry("U/b.bin", std::string(5000, 'z')), test::storedEntry("U/empty", ""),
                           unknownMethod, test::storedEntry("a", "first"), test::deflatedEntry("a", "second"),
                           test::storedEntry("A", "upper"), noLocalHeader}));
    auto& archive = opened.archive;
    ASSERT_EQ(archive.getNumEntries(), 9);
    ASSERT_TRUE(archive.uncompressAll().wasOk());

    const std::pair<const char*, int> indices[] = {{"U/", 0}, {"a", 5}, {"A", 7}, {"L", 8}, {"b", -1}};
    for (const auto& [name, index] : indices)
        EXPECT_EQ(archive.getIndexOfFileName(name), index) << name;

    const std::pair<const char*, std::string> contents[] = {{"U/", ""},
                                                            {"U/a.txt", "stored text"},
                                                            {"U/b.bin", std::string(5000, 'z')},
                                                            {"U/empty", ""},
                                                            {"x", "inflate me"},
                                                            {"a", "first"},
                                                            {"L", ""},
                                                            {"b", ""}};
    for (const auto& [name, text] : contents)
        EXPECT_EQ(textOf(archive.getFileData(name)), text) << name;
}

TEST(MemoryBasedZipUncompressorTests, ReadsExtraFieldsAndDataDescriptorsAsZipToolsWriteThem)
{
    // The local headers' extra fields are longer than the directory's; streamed entries give their
    // sizes only in the directory and after their data.
    using test::asZipToolWritesIt;
    using test::DataDescriptor;
    const std::string deflated = std::string(3000, 'd') + "end";
    OpenedArchive opened(test::buildRawZip(
        {asZipToolWritesIt(test::folderEntry("Unit/")),
         asZipToolWritesIt(test::storedEntry("Unit/stored.txt", "stored text"), DataDescriptor::WithSignature),
         asZipToolWritesIt(test::deflatedEntry("Unit/deflated.bin", deflated), DataDescriptor::WithoutSignature),
         asZipToolWritesIt(test::storedEntry("Unit/last", "last entry"))}));
    auto& archive = opened.archive;
    ASSERT_EQ(archive.getNumEntries(), 4);
    ASSERT_TRUE(archive.uncompressAll().wasOk());

    const std::pair<const char*, std::string> contents[] = {{"Unit/", ""},
                                                            {"Unit/stored.txt", "stored text"},
                                                            {"Unit/deflated.bin", deflated},
                                                            {"Unit/last", "last entry"}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(archive.getEntry(i)->filename, contents[i].first);
        EXPECT_EQ(textOf(archive.getFileData(contents[i].first)), contents[i].second) << contents[i].first;
    }
}

TEST(MemoryBasedZipUncompressorTests, EndRecordIsFoundOnlyNearTheEndAndDamagedDirectoriesYieldWhatCanBeRead)
{
    const std::vector<test::RawZipEntry> entries{test::storedEntry("a", "1"), test::storedEntry("b", "2")};
    using Layout = test::RawZipLayout;
    const std::pair<Layout, int> cases[] = {
        {Layout{1000, {}, {}}, 2}, {Layout{1100, {}, {}}, 0}, // the end record is searched for near the end only
        {Layout{0, 5, {}}, 2},     {Layout{0, 1, {}}, 1},
        {Layout{0, {}, -1}, 0},    {Layout{0, {}, std::numeric_limits<std::int32_t>::min()}, 0},
        {Layout{0, {}, 100000}, 0}};
    for (const auto& [rawLayout, numEntries] : cases)
        EXPECT_EQ(OpenedArchive(test::buildRawZip(entries, rawLayout)).archive.getNumEntries(), numEntries)
            << rawLayout.commentSize << " " << rawLayout.entryCount.value_or(0) << " "
            << rawLayout.directoryOffset.value_or(0);

    // Cut inside the directory: the end record is gone with it.
    const auto whole = test::buildRawZip(entries);
    EXPECT_EQ(OpenedArchive(juce::MemoryBlock(whole.getData(), whole.getSize() - 30)).archive.getNumEntries(), 0);
}

TEST(MemoryBasedZipUncompressorTests, EntryStreamClampsItsPosition)
{
    OpenedArchive opened(test::buildRawZip({test::storedEntry("a", "0123456789")}));
    auto stream = opened.archive.createStreamForEntry(0);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->setPosition(7));
    char bytes[8] = {};
    EXPECT_EQ(stream->read(bytes, 8), 3);
    EXPECT_EQ(std::string(bytes, 3), "789");
    EXPECT_TRUE(stream->setPosition(-5));
    EXPECT_EQ(stream->getPosition(), 0);
    EXPECT_TRUE(stream->setPosition(50));
    EXPECT_EQ(stream->getPosition(), 10);
}

TEST(MemoryBasedZipUncompressorTests, EntriesAndArchiveAreBoundedByDeclaredAndInflatedSizes)
{
    const auto limit = static_cast<std::size_t>(MemoryBasedZipUncompressor::maxEntryBytes);
    auto huge = test::deflatedEntry("a", "tiny");
    huge.declaredUncompressedSize = 0xFFFFFFFFu;
    EXPECT_EQ(uncompressed({huge}).getErrorMessage(), "Zip entry \"a\" is larger than a unit file may hold");
    auto stored = test::storedEntry("s", "tiny");
    stored.declaredCompressedSize = MemoryBasedZipUncompressor::maxEntryBytes + 1;
    EXPECT_TRUE(uncompressed({stored}).failed());

    // Declares nothing, inflates past the limit.
    auto bomb = test::deflatedEntry("bomb", juce::MemoryBlock(limit + 1, true));
    bomb.declaredUncompressedSize = 0;
    EXPECT_EQ(uncompressed({bomb}).getErrorMessage(), "Zip entry \"bomb\" inflates beyond what a unit file may hold");

    // Declares a small size: reading stops there.
    bomb.declaredUncompressedSize = 100;
    OpenedArchive lying(test::buildRawZip({bomb}));
    ASSERT_TRUE(lying.archive.uncompressAll().wasOk());
    EXPECT_EQ(lying.archive.getFileData("bomb").getSize(), 100u);

    // Exactly the limit is still accepted.
    auto edge = test::deflatedEntry("edge", juce::MemoryBlock(limit, true));
    edge.declaredUncompressedSize = 0;
    OpenedArchive atLimit(test::buildRawZip({edge}));
    ASSERT_TRUE(atLimit.archive.uncompressAll().wasOk());
    EXPECT_EQ(atLimit.archive.getFileData("edge").getSize(), limit);

    // The whole archive is bounded too, duplicates included.
    const auto half = static_cast<std::size_t>(MemoryBasedZipUncompressor::maxArchiveBytes / 2);
    const auto first = test::deflatedEntry("a", juce::MemoryBlock(half, true));
    EXPECT_TRUE(uncompressed({first, test::deflatedEntry("a", juce::MemoryBlock(half + 1, true))}).failed());
    EXPECT_TRUE(uncompressed({first, first}).wasOk());
}

TEST(MemoryBasedZipUncompressorTests, EntriesAfterCommentedOnesAndArchivesWithACommentAreReadWhole)
{
    // Comments longer than a directory header, beside extra fields of other lengths.
    auto folder = test::asZipToolWritesIt(test::folderEntry("U/"));
    folder.comment = "the unit's folder";
    auto commented = test::asZipToolWritesIt(test::deflatedEntry("U/a.bin", std::string(700, 'a')));
    commented.comment = std::string(60, '#') + " written by hand";
    auto last = test::storedEntry("U/c.txt", "last");
    last.comment = "c";
    const std::vector<test::RawZipEntry> entries{folder, commented, test::storedEntry("U/b.txt", "between"), last};
    const std::pair<const char*, std::string> contents[] = {
        {"U/", ""}, {"U/a.bin", std::string(700, 'a')}, {"U/b.txt", "between"}, {"U/c.txt", "last"}};

    // Archive comments that put the end record at every offset within the steps of its search.
    for (const std::size_t commentSize : {0, 1, 3, 19, 21, 22, 23, 43, 250})
    {
        test::RawZipLayout layout;
        layout.commentSize = commentSize;
        OpenedArchive opened(test::buildRawZip(entries, layout));
        auto& archive = opened.archive;
        ASSERT_EQ(archive.getNumEntries(), 4) << commentSize;
        ASSERT_TRUE(archive.uncompressAll().wasOk()) << commentSize;
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(archive.getEntry(i)->filename, contents[i].first) << commentSize;
            EXPECT_EQ(textOf(archive.getFileData(contents[i].first)), contents[i].second) << commentSize;
        }
    }
}

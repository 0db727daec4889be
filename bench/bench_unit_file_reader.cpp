// Reading one unit file with a 20 KiB and a 1 MiB payload: our reader (archive, manifest
// check, block join and check) against juce::ZipFile extracting the same two members.
// Both read the file from disk (the page cache) on every iteration.

#include "data/UserUnitData.h"
#include "files/UserUnitFileReader.h"
#include "support/files/UnitFileBuilder.h"

#include <benchmark/benchmark.h>
#include <juce_core/juce_core.h>

#include <map>
#include <memory>

namespace
{
const juce::File& unitFile(std::size_t payloadSize)
{
    static std::map<std::size_t, std::unique_ptr<test::TemporaryUnitFile>> files;
    auto& file = files[payloadSize];
    if (file == nullptr)
    {
        test::UnitFileOptions options;
        options.payloadSize = payloadSize;
        // Payloads are machine code: fill with bytes that compress like it rather than a pattern.
        auto payload = test::makePayload(options);
        juce::Random random(1234);
        for (std::size_t i = 4; i < payload.getSize(); ++i)
            payload[i] = static_cast<char>(random.nextInt(64));
        file = std::make_unique<test::TemporaryUnitFile>(test::buildUnitFile(test::makeManifestJson(options), payload));
    }
    return file->getFile();
}

void readWithUserUnitFileReader(benchmark::State& state)
{
    const auto file = unitFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        w40388_data::UserUnitData unit;
        w40388_file::UserUnitFileReader reader(unit);
        if (reader.read(file) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(unit.unitData.getData());
    }
}
BENCHMARK(readWithUserUnitFileReader)->Arg(20 * 1024)->Arg(1024 * 1024);

void extractWithJuceZipFile(benchmark::State& state)
{
    const auto file = unitFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        juce::ZipFile zip(file);
        for (const auto* name : {"unit/manifest.json", "unit/payload.bin"})
        {
            std::unique_ptr<juce::InputStream> stream(zip.createStreamForEntry(zip.getIndexOfFileName(name)));
            juce::MemoryBlock data;
            if (stream == nullptr || stream->readIntoMemoryBlock(data) == 0)
                state.SkipWithError("extract failed");
            benchmark::DoNotOptimize(data.getData());
        }
    }
}
BENCHMARK(extractWithJuceZipFile)->Arg(20 * 1024)->Arg(1024 * 1024);
} // namespace

BENCHMARK_MAIN();

// Reading one unit file with a 20 KiB payload: our reader (archive, manifest check,
// block join and check) against juce::ZipFile extracting the same two members.

#include "data/UserUnitData.h"
#include "files/UserUnitFileReader.h"
#include "support/files/UnitFileBuilder.h"

#include <benchmark/benchmark.h>
#include <juce_core/juce_core.h>

namespace
{
constexpr std::size_t payloadSize = 20 * 1024;

const test::TemporaryUnitFile& unitFile()
{
    static const test::TemporaryUnitFile file = [] {
        test::UnitFileOptions options;
        options.payloadSize = payloadSize;
        // Payloads are machine code: fill with bytes that compress like it rather than a pattern.
        auto payload = test::makePayload(options);
        juce::Random random(1234);
        for (std::size_t i = 4; i < payload.getSize(); ++i)
            payload[i] = static_cast<char>(random.nextInt(64));
        return test::TemporaryUnitFile(test::buildUnitFile(test::makeManifestJson(options), payload));
    }();
    return file;
}

void readWithUserUnitFileReader(benchmark::State& state)
{
    const auto file = unitFile().getFile();
    for (auto _ : state)
    {
        w40388_data::UserUnitData unit;
        w40388_file::UserUnitFileReader reader(unit);
        if (reader.read(file) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(unit.unitData.getData());
    }
}
BENCHMARK(readWithUserUnitFileReader);

void extractWithJuceZipFile(benchmark::State& state)
{
    const auto file = unitFile().getFile();
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
BENCHMARK(extractWithJuceZipFile);
} // namespace

BENCHMARK_MAIN();

// Number texts and RML lookups against the C library and a rescanning
// reader, measured in the same run.
#include "Interface/api/RML.h"
#include "Interface/api/ValueText.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace Brintavolex;

std::vector<double> Doubles()
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::vector<double> values(1024);
    for (double &v : values)
        v = any(random);
    return values;
}

void FormatDouble(benchmark::State &state)
{
    const auto values = Doubles();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(StringFromValue(values[i++ & 1023]));
}
BENCHMARK(FormatDouble);

void FormatDoubleSnprintf(benchmark::State &state)
{
    const auto values = Doubles();
    std::size_t i = 0;
    char buffer[32];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "%g", values[i++ & 1023]);
        benchmark::DoNotOptimize(String(buffer));
    }
}
BENCHMARK(FormatDoubleSnprintf);

std::vector<std::string> Texts()
{
    std::vector<std::string> texts;
    char buffer[32];
    for (double v : Doubles()) {
        std::snprintf(buffer, sizeof buffer, "%g", v);
        texts.emplace_back(buffer);
    }
    return texts;
}

void ParseDouble(benchmark::State &state)
{
    const auto texts = Texts();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ValueFromString<Float64>(StringExpr(texts[i++ & 1023])));
}
BENCHMARK(ParseDouble);

void ParseDoubleStrtod(benchmark::State &state)
{
    const auto texts = Texts();
    std::size_t i = 0;
    for (auto _ : state) {
        const String copy{StringExpr(texts[i++ & 1023])}; // the same text copy the real reader makes
        benchmark::DoNotOptimize(std::strtod(copy.Narrow(), nullptr));
    }
}
BENCHMARK(ParseDoubleStrtod);

// A settings file of the program's size: about sixty entries.
std::string SettingsFile()
{
    std::string file;
    for (int i = 0; i < 60; ++i)
        file += "[Group" + std::to_string(i / 8) + "][Key" + std::to_string(i) + "]\r\nvalue" +
                std::to_string(i) + "\r\n\r\n";
    return file;
}

// Loading every value: parse once, then look each key up.
void RmlLoadAll(benchmark::State &state)
{
    const std::string file = SettingsFile();
    for (auto _ : state) {
        const auto reader = RMLPropertyReader::FromBytes(file);
        String value;
        for (int i = 0; i < 60; ++i) {
            reader->EnterTree(StringExpr("Group" + std::to_string(i / 8)))
                ->ReadString(StringExpr("Key" + std::to_string(i)), &value);
            benchmark::DoNotOptimize(value);
        }
    }
}
BENCHMARK(RmlLoadAll);

// Reference: rescanning a text stream from the start for every value.
void RmlLoadAllRescanning(benchmark::State &state)
{
    const std::string file = SettingsFile();
    for (auto _ : state) {
        std::istringstream stream(file);
        std::string line;
        for (int i = 0; i < 60; ++i) {
            const std::string key = "[Group" + std::to_string(i / 8) + "][Key" + std::to_string(i) + "]";
            stream.clear();
            stream.seekg(0);
            while (std::getline(stream, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (line == key) {
                    std::getline(stream, line);
                    break;
                }
            }
            benchmark::DoNotOptimize(line);
        }
    }
}
BENCHMARK(RmlLoadAllRescanning);

} // namespace

BENCHMARK_MAIN();

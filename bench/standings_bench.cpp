// Cost of one group's calculation and of score text conversion. The baseline in each pair is the
// plainest thing that does comparable work (strtol over the same texts), so results read as ratios.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "standings/int_text.h"
#include "standings/standings.h"

namespace palvoren {
namespace {

struct BenchFields : ScoreFields {
    std::array<std::string, kScoreFieldCount + 1> texts;
    std::string FieldText(int n) const override { return texts[static_cast<std::size_t>(n)]; }
};

struct BenchGrid : CellGrid {
    std::array<std::array<std::string, 5>, 9> cells;
    void SetCellText(int c, int r, std::string_view text) override {
        cells[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = text;
    }
};

BenchFields RealScores() {
    // Group A as it was played, 2002.
    const std::array<const char*, 12> texts{"0", "1", "0", "0", "0", "0",
                                            "1", "1", "0", "2", "1", "1"};
    BenchFields fields;
    const GroupSpec& group = GroupByIndex(1);
    for (std::size_t m = 0; m < group.matches.size(); ++m) {
        fields.texts[static_cast<std::size_t>(group.matches[m].homeField)] = texts[2 * m];
        fields.texts[static_cast<std::size_t>(group.matches[m].awayField)] = texts[2 * m + 1];
    }
    return fields;
}

void BM_CalculateGroup(benchmark::State& state) {
    const BenchFields fields = RealScores();
    BenchGrid grid;
    for (auto _ : state) {
        CalculateGroup(GroupByIndex(1), fields, grid);
        benchmark::DoNotOptimize(grid.cells);
    }
}
BENCHMARK(BM_CalculateGroup);

const std::vector<std::string> kMix{"0",    "3",          " 12",         "-1",  "$1F",
                                    "0x10", "2147483647", "-2147483648", "abc", "2a",
                                    "",     "0000000012", "$FFFFFFFF",   "+7",  "5 "};

void BM_TextToIntDefaultMix(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : kMix)
            benchmark::DoNotOptimize(TextToIntDefault(text, 0));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMix.size()));
}
BENCHMARK(BM_TextToIntDefaultMix);

void BM_TextToIntMixWithErrors(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : kMix) {
            try {
                benchmark::DoNotOptimize(TextToInt(text));
            } catch (const EConvertError&) {
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMix.size()));
}
BENCHMARK(BM_TextToIntMixWithErrors);

// Baseline: the C library's strtol over the same texts (it checks far less).
void BM_BaselineStrtolMix(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : kMix) {
            char* end = nullptr;
            benchmark::DoNotOptimize(std::strtol(text.c_str(), &end, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMix.size()));
}
BENCHMARK(BM_BaselineStrtolMix);

}  // namespace
}  // namespace palvoren

// Amount in words: the Chinese and English conversions on a fixed mix of
// amounts, beside ICU's RuleBasedNumberFormat spell-out of the same values
// (Chinese financial numerals, English cardinal words). Each iteration
// converts the whole mix; the per-item time is the figure to compare.
#include "core/amountwords.h"
#include <benchmark/benchmark.h>
#include <QStringList>
#include <vector>

#ifdef BILLPRINT_HAVE_ICU
#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>
#include <memory>
#endif

namespace {

// As the money field hands them over: eleven columns, fen last.
const QStringList ColumnAmounts = {
    "00000123456", "00000010000", "00000100505", "00000000050", "10000000000",
    "00012345678", "99999999999", "00000000001", "01000000100", "00300050007"};

// As typed with a point, in yuan or dollars.
const QStringList PointAmounts = {
    "1234.56", "1.05", "10.5", "100", "0.5", "10000", "1000050", "98765432.10",
    "2000000001", "123456789012.34"};

std::vector<double> valuesOf(const QStringList &amounts, double scale)
{
    std::vector<double> out;
    for (const QString &a : amounts)
        out.push_back(a.toDouble() * scale);
    return out;
}

void BM_Chinese_Columns(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &a : ColumnAmounts)
            benchmark::DoNotOptimize(words::MoneyToChinese(a, 2));
    state.SetItemsProcessed(state.iterations() * ColumnAmounts.size());
}
BENCHMARK(BM_Chinese_Columns);

void BM_Chinese_Point(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &a : PointAmounts)
            benchmark::DoNotOptimize(words::MoneyToChinese(a, 2));
    state.SetItemsProcessed(state.iterations() * PointAmounts.size());
}
BENCHMARK(BM_Chinese_Point);

void BM_English_Point(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &a : PointAmounts)
            benchmark::DoNotOptimize(words::MoneyToEnglish(a));
    state.SetItemsProcessed(state.iterations() * PointAmounts.size());
}
BENCHMARK(BM_English_Point);

#ifdef BILLPRINT_HAVE_ICU

// ICU gets the values already parsed, which only favours it.
std::unique_ptr<icu::RuleBasedNumberFormat> spellout(const char *locale, const char *ruleSet)
{
    UErrorCode status = U_ZERO_ERROR;
    auto f = std::make_unique<icu::RuleBasedNumberFormat>(icu::URBNF_SPELLOUT,
                                                          icu::Locale(locale), status);
    f->setDefaultRuleSet(icu::UnicodeString(ruleSet), status);
    return U_SUCCESS(status) ? std::move(f) : nullptr;
}

void runIcu(benchmark::State &state, const char *locale, const char *ruleSet,
            const std::vector<double> &values)
{
    const auto f = spellout(locale, ruleSet);
    if (!f) {
        state.SkipWithError("ICU rule set not available");
        return;
    }
    for (auto _ : state) {
        for (double v : values) {
            icu::UnicodeString text;
            f->format(v, text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(values.size()));
}

void BM_Icu_Chinese_Columns(benchmark::State &state)
{
    runIcu(state, "zh", "%spellout-cardinal-financial", valuesOf(ColumnAmounts, 0.01));
}
BENCHMARK(BM_Icu_Chinese_Columns);

void BM_Icu_Chinese_Point(benchmark::State &state)
{
    runIcu(state, "zh", "%spellout-cardinal-financial", valuesOf(PointAmounts, 1.0));
}
BENCHMARK(BM_Icu_Chinese_Point);

void BM_Icu_English_Point(benchmark::State &state)
{
    runIcu(state, "en", "%spellout-cardinal", valuesOf(PointAmounts, 1.0));
}
BENCHMARK(BM_Icu_English_Point);

#endif

} // namespace

BENCHMARK_MAIN();

// Decoding received text for display: the UTF-8 check in front of the
// ISO-2022-JP decoder costs one extra pass over lines that are not UTF-8.
#include <benchmark/benchmark.h>

#include <string>

#include "session/Codec.h"

namespace {

const std::string kAscii = "<alice> see https://example.net/page for the schedule, starting at 10:30 today";
const std::string kJis = "<alice> \x1b$B$3$s$K$A$O!\"K\\F|$O$$$$E7537$G$9$M\x1b(B (ok)";
const std::string kUtf8 =
    "<alice> \xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf\xe3\x80\x81\xe4\xbb"
    "\x8a\xe6\x97\xa5\xe3\x81\xaf (ok)";

void JisOnly(benchmark::State& state, const std::string& text) {
    for (auto _ : state) benchmark::DoNotOptimize(velmok::session::JisToSjis(text));
}
void WithUtf8Check(benchmark::State& state, const std::string& text) {
    for (auto _ : state) benchmark::DoNotOptimize(velmok::session::WireToSjis(text));
}

}  // namespace

BENCHMARK_CAPTURE(JisOnly, ascii, kAscii);
BENCHMARK_CAPTURE(WithUtf8Check, ascii, kAscii);
BENCHMARK_CAPTURE(JisOnly, iso2022jp, kJis);
BENCHMARK_CAPTURE(WithUtf8Check, iso2022jp, kJis);
BENCHMARK_CAPTURE(WithUtf8Check, utf8, kUtf8);

// Cost of preparing one rendered line (view plus all-window copy), which every
// incoming message pays before it reaches a view.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ui/LineFormat.h"

namespace {

using velmok::session::FontKind;
using velmok::ui::FormatLine;
using velmok::ui::FormattedLine;
using velmok::ui::LineInput;

const std::vector<std::string> kKeywords = {"velmok", "\x83\x65\x83X\x83g"};  // テスト

LineInput MakeInput(const std::string& text, bool copy) {
    LineInput in;
    in.text = text;
    in.font = FontKind::Private;
    in.stamp = "09:05 ";
    in.keywords = &kKeywords;
    in.markKeywords = true;
    in.copyToAll = copy;
    in.serverName = "irc.example.net";
    in.windowName = "#channel";
    return in;
}

void Run(benchmark::State& state, const std::string& text, bool reuse) {
    const LineInput in = MakeInput(text, state.range(0) != 0);
    FormattedLine out;
    for (auto _ : state) {
        if (reuse) {
            FormatLine(in, out);
            benchmark::DoNotOptimize(out.view.runs.data());
        } else {
            FormattedLine fresh = FormatLine(in);
            benchmark::DoNotOptimize(fresh.view.runs.data());
        }
    }
    state.SetItemsProcessed(state.iterations());
}

const std::string kPlain = "<alice> a plain line of chat text without anything special in it at all";
const std::string kUrl = "<alice> look at http://www.example.com/path/page.html?x=1 and tell me";
// 日本語のテキスト with bold and underline codes and a colour code kept as a byte.
const std::string kJapanese =
    "<alice> \x02\x93\xfa\x96{\x8c\xea\x02\x82\xcc\x1f\x83\x65\x83\x4c\x83X\x83g\x1f \x03"
    "4red\x03 "
    "\x93\xfa\x96{\x8c\xea";

void BM_PlainLine(benchmark::State& state) { Run(state, kPlain, false); }
void BM_PlainLineReused(benchmark::State& state) { Run(state, kPlain, true); }
void BM_UrlLine(benchmark::State& state) { Run(state, kUrl, false); }
void BM_JapaneseControlCodes(benchmark::State& state) { Run(state, kJapanese, false); }

}  // namespace

// Argument: 0 view only, 1 with the all-window copy.
BENCHMARK(BM_PlainLine)->Arg(0)->Arg(1);
BENCHMARK(BM_PlainLineReused)->Arg(0)->Arg(1);
BENCHMARK(BM_UrlLine)->Arg(0)->Arg(1);
BENCHMARK(BM_JapaneseControlCodes)->Arg(0)->Arg(1);

BENCHMARK_MAIN();

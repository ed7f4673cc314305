// How often Shift-JIS text passes for UTF-8 by accident: reads a corpus of
// Shift-JIS lines (tools/make-sjis-corpus builds one from the Japanese message
// catalogues installed on this machine) and counts the lines holding
// non-ASCII bytes that IsUtf8Text takes for UTF-8. Also times the check.
//   velmok_utf8detect CORPUS [--show N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/Common.h"
#include "session/Codec.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: velmok_utf8detect CORPUS [--show N]\n";
        return 2;
    }
    int show = 0;
    if (argc >= 4 && std::strcmp(argv[2], "--show") == 0) show = std::atoi(argv[3]);
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 2;
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool wide = false;
        for (unsigned char c : line) wide = wide || c >= 0x80;
        if (wide) lines.push_back(line);
    }
    std::size_t bytes = 0, taken = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& l : lines) {
        bytes += l.size();
        if (velmok::session::IsUtf8Text(l)) {
            ++taken;
            if (show-- > 0) std::cout << "taken for UTF-8: " << l << "\n";
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("lines with non-ASCII bytes: %zu (%zu bytes)\n", lines.size(), bytes);
    std::printf("taken for UTF-8: %zu (%.4f%%)\n", taken, lines.empty() ? 0.0 : 100.0 * taken / lines.size());

    // Short texts (a topic of one word, a nick-sized reply) are the hard case:
    // every run of non-ASCII bytes between ASCII characters, on its own.
    std::size_t runs = 0, runsTaken = 0;
    for (const std::string& l : lines) {
        for (std::size_t i = 0; i < l.size();) {
            if (static_cast<unsigned char>(l[i]) < 0x80) {
                ++i;
                continue;
            }
            std::size_t j = i;
            // A trail byte may be ASCII-range; keep double-byte pairs whole.
            while (j < l.size() && static_cast<unsigned char>(l[j]) >= 0x80)
                j += velmok::base::IsSjisLead(l[j]) ? 2 : 1;
            const std::string run = l.substr(i, j - i);
            ++runs;
            if (velmok::session::IsUtf8Text(run)) {
                ++runsTaken;
                if (show-- > 0) std::cout << "run taken for UTF-8: " << run << "\n";
            }
            i = j;
        }
    }
    std::printf("non-ASCII runs: %zu, taken for UTF-8: %zu (%.4f%%)\n", runs, runsTaken,
                runs == 0 ? 0.0 : 100.0 * runsTaken / runs);
    std::printf("check speed: %.0f MB/s\n", seconds > 0 ? bytes / seconds / 1e6 : 0.0);
    return 0;
}

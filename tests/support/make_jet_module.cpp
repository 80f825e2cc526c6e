// Writes a small playable module in the earlier Jet format: seeds for the fuzz targets, and
// large top tens for the benchmark of the reader.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "support/jet_writer.h"

namespace {

int usage() {
    std::fputs(
        "usage: vexlor-make-jet-module --jet3|--jet4 [--questions N] [--scores N] [--key HEX] "
        "OUT\n",
        stderr);
    return 2;
}

template <typename T>
bool parse(std::string_view text, T& value, int base = 10) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

int main(int argc, char** argv) {
    namespace jet = vexlor::testing::jet;
    jet::Options options;
    bool versionGiven = false;
    int questions = 5;
    long scores = -1;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--jet3" || arg == "--jet4") {
            options.version = arg == "--jet3" ? jet::Version::kJet3 : jet::Version::kJet4;
            versionGiven = true;
        } else if (arg == "--questions" && hasValue) {
            if (!parse(argv[++i], questions) || questions < 1) return usage();
        } else if (arg == "--scores" && hasValue) {
            if (!parse(argv[++i], scores) || scores < 0) return usage();
        } else if (arg == "--key" && hasValue) {
            std::string_view hex = argv[++i];
            if (hex.substr(0, 2) == "0x") hex.remove_prefix(2);
            if (!parse(hex, options.databaseKey, 16)) return usage();
        } else if (out.empty() && !arg.empty() && arg[0] != '-') {
            out = arg;
        } else {
            return usage();
        }
    }
    if (!versionGiven || out.empty()) return usage();

    std::vector<jet::Table> tables = jet::sampleModuleTables(questions);
    if (scores >= 0) {
        auto& rows = tables[3].rows;
        const auto sample = rows;
        rows.clear();
        rows.reserve(static_cast<std::size_t>(scores));
        char score[16];
        for (long i = 0; i < scores; ++i) {
            const auto& like = sample[static_cast<std::size_t>(i) % sample.size()];
            std::snprintf(score, sizeof score, "%05ld", i % 100000);
            rows.push_back({{*like.cells[0] + " " + std::to_string(i), like.cells[1], score}});
        }
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        jet::writeJetFile(out, tables, options);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "wrote %s in %.3f s\n", out.c_str(), took.count());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vexlor-make-jet-module: %s\n", error.what());
        return 1;
    }
    return 0;
}

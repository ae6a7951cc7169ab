// The benchmark corpus: the files made by make-corpus.sh, kept outside the repository
// (ZB_BENCH_DIR, default /tmp/zb-bench-corpus) and generated on first use, grouped by
// its top-level folders (text, binary, random, repetitive).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace zb::bench {

namespace fs = std::filesystem;

struct CorpusFile {
    std::string group;  // top-level folder
    std::string path;   // relative to the corpus folder
    std::vector<std::uint8_t> data;
};

inline fs::path corpusDir() {
    const char* env = std::getenv("ZB_BENCH_DIR");
    return env && *env ? fs::path(env) : fs::path("/tmp/zb-bench-corpus");
}

// make-corpus.sh lives in the team's shared folder beside the repository; ZB_CORPUS_SCRIPT
// names another copy.
inline fs::path corpusScript() {
    if (const char* env = std::getenv("ZB_CORPUS_SCRIPT"); env && *env) return env;
    return fs::path(__FILE__).parent_path() / "../../shared/bench/make-corpus.sh";
}

inline void ensureCorpus() {
    const fs::path dir = corpusDir();
    if (fs::exists(dir) && !fs::is_empty(dir)) return;
    const fs::path script = corpusScript();
    if (!fs::exists(script)) throw std::runtime_error("no corpus in " + dir.string() + " and no script at " + script.string());
    std::cerr << "Generating the benchmark corpus in " << dir << " ...\n";
    const std::string cmd = "bash '" + script.string() + "' '" + dir.string() + "' >&2";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("make-corpus.sh failed");
}

inline std::vector<CorpusFile> loadCorpus() {
    ensureCorpus();
    const fs::path dir = corpusDir();
    std::vector<CorpusFile> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        CorpusFile f;
        f.path = fs::relative(e.path(), dir).string();
        f.group = f.path.substr(0, f.path.find('/'));
        std::ifstream in(e.path(), std::ios::binary);
        f.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        files.push_back(std::move(f));
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return files;
}

}  // namespace zb::bench

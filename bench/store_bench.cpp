// Saving and loading a project of 10,000 include lines through "project.ini", the
// largest lists a user is likely to build; both must stay well under a second.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "store/ProjectStore.h"

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    constexpr int kLines = 10000;
    constexpr int kRounds = 5;
    const auto folder = std::filesystem::temp_directory_path() / ("zb-store-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "project.ini";

    zb::store::ProjectRecord record = zb::store::newProjectRecord();
    record.filenamePrefix = "bench";
    record.savePath = folder.string();
    for (int i = 0; i < kLines; ++i) {
        record.includeLines.push_back("/home/user/projects/module" + std::to_string(i / 100) + "/source" +
                                      std::to_string(i) + "/*.cpp");
    }
    record.excludeLines = {"*.o", "*.tmp"};

    zb::store::ProjectStore store(file);
    double bestSave = 1e30;
    double bestLoad = 1e30;
    std::size_t loaded = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::filesystem::remove(file);
        zb::store::ProjectRecord copy = record;
        auto start = std::chrono::steady_clock::now();
        if (auto refusal = store.saveProject("Bench", copy, "bench1.zip")) {
            std::fprintf(stderr, "save refused: %s\n", refusal->c_str());
            return 1;
        }
        bestSave = std::min(bestSave, millisecondsSince(start));

        start = std::chrono::steady_clock::now();
        loaded = store.loadProject("Bench").includeLines.size();
        bestLoad = std::min(bestLoad, millisecondsSince(start));
    }
    // A save over an existing section replaces every key in place.
    zb::store::ProjectRecord copy = record;
    auto start = std::chrono::steady_clock::now();
    store.saveProject("Bench", copy, "bench1.zip");
    const double resave = millisecondsSince(start);

    std::printf("project with %d include lines (best of %d)\n", kLines, kRounds);
    std::printf("  save (new file):      %8.1f ms\n", bestSave);
    std::printf("  save (over existing): %8.1f ms\n", resave);
    std::printf("  load:                 %8.1f ms (%zu lines read)\n", bestLoad, loaded);
    std::filesystem::remove_all(folder);
    return loaded == static_cast<std::size_t>(kLines) ? 0 : 1;
}

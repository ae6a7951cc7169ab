// Fuzz target: extraction of an arbitrary archive into a folder of its own, which may
// already hold links out of it. Whatever the archive holds (names with "..", absolute
// paths, drive letters, duplicates, link members, lying sizes and offsets), nothing
// may be created or changed outside the destination, every link the run makes must
// lead to a place inside it, and every file left in the destination must be one that the run
// reported as extracted, with exactly the size and CRC-32 its member states: a member
// that failed never leaves a file behind that could pass for a restored one.
#include <map>
#include <set>

#include "fuzz/FuzzSupport.h"
#include "zip/checksum/Crc32.h"
#include "zip/TZipReader.h"
#include "zip/ZipErrors.h"

namespace fs = std::filesystem;

namespace {

// Stated sizes beyond this stop the run before it starts (the engine's StopNow).
constexpr std::int64_t kTotalCap = 16 << 20;
constexpr const char* kSentinelText = "outside the destination";

// Everything beside the destination, as it was before the run.
std::map<std::string, std::string> outsideState(const fs::path& root, const fs::path& dest) {
    std::map<std::string, std::string> state;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == dest) {
            it.disable_recursion_pending();
            continue;
        }
        const auto st = it->symlink_status();
        std::string what = std::to_string(int(st.type())) + ":" + std::to_string(int(st.permissions()));
        if (st.type() == fs::file_type::regular) {
            const auto text = zb::fuzz::readFile(it->path());
            what += ":" + std::string(text.begin(), text.end());
        }
        state[it->path().string()] = what;
    }
    return state;
}

// Whether `p`, with every link resolved, stays inside `dest`.
bool resolvesInside(const fs::path& p, const fs::path& dest) {
    std::error_code ec;
    const fs::path realDest = fs::canonical(dest, ec);
    const fs::path real = fs::weakly_canonical(p, ec);
    // Links that lead round in a circle lead nowhere at all.
    if (ec == std::errc::too_many_symbolic_link_levels) return true;
    if (ec) return false;
    const auto rel = real.lexically_relative(realDest);
    return !rel.empty() && *rel.begin() != "..";
}

void checkNothingOutside(const fs::path& root, const fs::path& dest,
                         const std::map<std::string, std::string>& before, const std::set<std::string>& seeded) {
    if (outsideState(root, dest) != before) zb::fuzz::fail("something outside the destination changed");
    for (auto it = fs::recursive_directory_iterator(dest); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_symlink() || seeded.count(it->path().string())) continue;
        // A link the run made must lead to a place inside the destination.
        if (!resolvesInside(it->path(), dest)) {
            std::fprintf(stderr, "link: %s\n", it->path().c_str());
            zb::fuzz::fail("extraction made a link that leads outside");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    if (size < 1) return 0;
    const std::uint8_t options = data[0];
    const fs::path root = fuzz::scratchFolder() / "extract";
    const fs::path dest = root / "dest";
    const fs::path sentinel = root / "outside.txt";
    const fs::path archive = fuzz::scratchFolder() / "extract.zip";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(dest);
    fuzz::writeFile(sentinel, reinterpret_cast<const std::uint8_t*>(kSentinelText), std::strlen(kSentinelText));
    fuzz::writeFile(archive, data + 1, size - 1);
    // With option bit 32 the destination already holds links out of it, under the
    // names archives use most: a folder link, a file link and a dangling link.
    std::set<std::string> seeded;
    if (options & 32) {
        fs::create_directories(root / "outside");
        fs::create_directory_symlink("../outside", dest / "dir");
        fs::create_directory_symlink("../outside", dest / "a");
        fs::create_symlink("../outside.txt", dest / "file.txt");
        fs::create_symlink("../outside/new.txt", dest / "new.txt");
        for (const char* name : {"dir", "a", "file.txt", "new.txt"}) seeded.insert((dest / name).string());
    }
    const auto before = outsideState(root, dest);

    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.SetDestDir(dest.string());
    reader.RecreateDirs = options & 1;
    reader.DoAll = true;
    reader.OverwriteMode = zip::Never;
    reader.IncompleteZipMode = (options & 2) ? zip::izAssumeBad : zip::izAssumeNotAZip;
    reader.RetainAttributes = options & 4;
    reader.Password = (options & 8) ? "secret" : "";
    if (options & 16) reader.SetRootDir("dir");

    std::map<std::string, int> extracted;  // target path -> member index
    reader.OnStartUnZipInfo = [&](zip::TZipReader&, int, std::int64_t total, bool& stop) {
        if (total > kTotalCap) stop = true;
    };
    reader.OnEndUnZip = [&](zip::TZipReader&, int index, const std::string& target) {
        if (!extracted.emplace(fs::path(target).lexically_normal().string(), index).second)
            zb::fuzz::fail("one target reported extracted twice");
    };
    int completeCount = -1;
    reader.OnUnZipComplete = [&](zip::TZipReader&, int fileCount) { completeCount = fileCount; };
    int count = -1;
    try {
        count = reader.UnZip();
    } catch (const zip::EZipError& e) {
        if (std::getenv("ZB_FUZZ_VERBOSE")) std::fprintf(stderr, "refused: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
        fuzz::fail("extraction raised something that is not an engine error");
    }
    if (std::getenv("ZB_FUZZ_VERBOSE")) std::fprintf(stderr, "count %d complete %d reported %zu\n", count, completeCount, extracted.size());
    if (count >= 0 && count != completeCount) fuzz::fail("the run returns another count than it reported complete");
    if (completeCount >= 0 && completeCount < int(extracted.size()))
        fuzz::fail("the run counts fewer members than it reported extracted");

    checkNothingOutside(root, dest, before, seeded);
    for (auto it = fs::recursive_directory_iterator(dest); it != fs::recursive_directory_iterator(); ++it) {
        if (it->symlink_status().type() != fs::file_type::regular) continue;
        const std::string path = it->path().lexically_normal().string();
        auto found = extracted.find(path);
        if (found == extracted.end()) {
            std::fprintf(stderr, "left behind: %s\n", path.c_str());
            fuzz::fail("a file was left that the run did not report as extracted");
        }
        const zip::TZipHeaderInfo& h = reader.Member(found->second);
        const fuzz::Bytes content = fuzz::readFile(it->path());
        if (content.size() != h.uncompressedSize) fuzz::fail("an extracted file has another size than stated");
        if (zip::crc32(content.data(), content.size()) != h.crc32)
            fuzz::fail("an extracted file has another CRC than stated");
    }
    return 0;
}

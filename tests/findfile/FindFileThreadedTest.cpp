// Threaded searches: every event arrives on the owner's thread, one at a time, with
// OnComplete last; a start while busy is ignored; stopping and destroying the finder
// while its worker runs end the worker without further events and without a hang.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FinderTestSupport.h"
#include "PumpedOwnerThread.h"
#include "findfile/FindFile.h"
#include "support/TempDir.h"

namespace zb::findfile {
namespace {

namespace fs = std::filesystem;
using test::FinderLog;
using test::PumpedOwnerThread;
using test::TempDir;
using Strings = std::vector<std::string>;

void makeTree(const TempDir& dir, int folders, int filesPerFolder) {
    for (int f = 0; f < folders; ++f) {
        for (int i = 0; i < filesPerFolder; ++i) {
            dir.write("d" + std::to_string(f) + "/sub/f" + std::to_string(i) + ".txt", "x");
        }
    }
}

// Niceness of every thread of this process but the calling one.
std::vector<int> otherThreadsNiceness() {
    std::vector<int> out;
    const std::string self = std::to_string(currentThreadId());
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) continue;
        std::ifstream in(task.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        for (int i = 3; i <= 19 && fields >> field; ++i) {
            if (i == 19) out.push_back(std::stoi(field));
        }
    }
    return out;
}

bool contains(const std::vector<int>& values, int v) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

class FindFileThreaded : public ::testing::Test {
protected:
    void SetUp() override {
        finder = std::make_unique<TFindFile>(&owner);
        finder->SetThreaded(true);
        finder->SetLocation(dir.path().string());
        test::record(*finder, log);
    }
    bool pumpToCompletion() {
        return owner.pumpUntil([&] { return log.completes > 0; });
    }

    PumpedOwnerThread owner;
    TempDir dir;
    FinderLog log;
    std::unique_ptr<TFindFile> finder;
};

TEST_F(FindFileThreaded, FindsWhatTheCallersThreadFindsWithEveryEventOnTheOwnersThread) {
    makeTree(dir, 5, 20);
    dir.write("top.dat", "");

    TFindFile reference;
    reference.SetLocation(dir.path().string());
    FinderLog expected;
    test::record(reference, expected);
    reference.Execute();

    finder->Execute();
    EXPECT_TRUE(finder->Busy());
    ASSERT_TRUE(pumpToCompletion()) << "search did not complete";
    EXPECT_FALSE(finder->Busy());
    EXPECT_FALSE(finder->Aborted());
    EXPECT_FALSE(log.offOwnerThread);
    EXPECT_EQ(log.found, expected.found);
    EXPECT_EQ(log.folders, expected.folders);
    EXPECT_EQ(log.completes, 1);
    // Nothing arrives after OnComplete.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(owner.pump(), 0);
}

TEST_F(FindFileThreaded, HandlersRunOneAtATimeWhileTheWorkerWaits) {
    makeTree(dir, 3, 10);
    std::atomic<int> inside{0};
    int overlaps = 0, seen = 0;
    finder->OnFound = [&](TFindFile&, const std::string&, TSearchRec& rec) {
        if (inside.fetch_add(1) != 0) ++overlaps;
        // The worker waits for this handler: its record stays ours while we hold it.
        const std::string name = rec.Name;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (rec.Name != name) ++overlaps;
        rec.Name = "changed by the handler";
        ++seen;
        inside.fetch_sub(1);
    };
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(seen, 30);
    EXPECT_EQ(overlaps, 0);
}

TEST_F(FindFileThreaded, AStartWhileBusyIsIgnored) {
    makeTree(dir, 2, 5);
    finder->Execute();
    finder->Execute();
    finder->SetLocation((dir / "d0").string());
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), 10u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    owner.pump();
    EXPECT_EQ(log.completes, 1);

    // Once completed, a new start searches again (now the changed location).
    log = FinderLog();
    test::record(*finder, log);
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), 5u);
}

TEST_F(FindFileThreaded, IgnoreFolderAnsweredOnTheOwnersThreadReachesTheWorker) {
    makeTree(dir, 3, 4);
    const std::string skipped = (dir / "d1").string();
    finder->OnNewFolder = [&](TFindFile&, const std::string& folder, bool& ignore) {
        log.folders.push_back(folder);
        ignore = folder == skipped;
    };
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), 8u);
    for (const auto& f : log.found) EXPECT_EQ(f.find(skipped + "/"), std::string::npos);
}

TEST_F(FindFileThreaded, AbortFromAHandlerStopsFurtherEventsAndStillCompletes) {
    makeTree(dir, 4, 25);
    finder->OnFound = [&](TFindFile& sender, const std::string& folder, TSearchRec& rec) {
        log.found.push_back(folder + "/" + rec.Name);
        if (log.found.size() == 3) sender.Abort();
    };
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), 3u);
    EXPECT_TRUE(finder->Aborted());
    EXPECT_FALSE(finder->Busy());
}

TEST_F(FindFileThreaded, AbortBetweenPumpsEndsTheSearch) {
    makeTree(dir, 10, 50);
    finder->Execute();
    owner.pumpUntil([&] { return log.found.size() >= 10; });
    finder->Abort();
    const auto seen = log.found.size();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), seen);
    EXPECT_TRUE(finder->Aborted());
}

TEST_F(FindFileThreaded, AHandlerErrorEndsTheSearchAsAborted) {
    makeTree(dir, 2, 10);
    finder->OnFound = [&](TFindFile&, const std::string&, TSearchRec& rec) {
        log.found.push_back(rec.Name);
        throw std::runtime_error("handler failed");
    };
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_EQ(log.found.size(), 1u);
    EXPECT_TRUE(finder->Aborted());
}

TEST_F(FindFileThreaded, ASearchCanBeStartedAgainFromOnComplete) {
    makeTree(dir, 1, 3);
    int runs = 0;
    finder->OnComplete = [&](TFindFile& sender) {
        ++log.completes;
        if (++runs == 1) sender.Execute();
    };
    finder->Execute();
    ASSERT_TRUE(owner.pumpUntil([&] { return log.completes == 2; }));
    EXPECT_EQ(log.found.size(), 6u);
    EXPECT_FALSE(finder->Busy());
}

TEST_F(FindFileThreaded, DestroyingTheFinderStopsTheWorkerAndRaisesNothingMore) {
    makeTree(dir, 10, 50);
    finder->Execute();
    owner.pumpUntil([&] { return log.found.size() >= 5; });
    finder.reset();
    const auto seen = log.found.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    owner.pump();  // hand-offs queued before the end are dropped
    EXPECT_EQ(log.found.size(), seen);
    EXPECT_EQ(log.completes, 0);
}

TEST_F(FindFileThreaded, DestroyingTheFinderWhileItsWorkerWaitsForTheOwnerDoesNotHang) {
    makeTree(dir, 2, 5);
    finder->Execute();
    // The worker is (or soon will be) waiting for a hand-off that is never pumped.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    finder.reset();
    owner.pump();
    EXPECT_TRUE(log.found.empty() && log.folders.empty());
    EXPECT_EQ(log.completes, 0);
}

TEST_F(FindFileThreaded, DestroyingTheFinderFromAnotherThreadWaitsForARunningHandler) {
    makeTree(dir, 10, 50);
    std::atomic<bool> destroyed{false};
    std::atomic<bool> handlerRunning{false};
    finder->OnFound = [&](TFindFile& sender, const std::string&, TSearchRec& rec) {
        handlerRunning = true;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        // The finder must still be alive while its handler runs.
        EXPECT_FALSE(destroyed.load());
        EXPECT_TRUE(sender.Busy());
        log.found.push_back(rec.Name);
        handlerRunning = false;
    };
    finder->Execute();
    std::thread killer([&] {
        while (!handlerRunning) std::this_thread::yield();
        finder.reset();
        destroyed = true;
    });
    ASSERT_TRUE(owner.pumpUntil([&] { return destroyed.load(); }));
    killer.join();
    const auto seen = log.found.size();
    owner.pump();
    EXPECT_EQ(log.found.size(), seen);
}

TEST_F(FindFileThreaded, WithoutAnOwnersThreadTheSearchRunsOnTheCaller) {
    makeTree(dir, 1, 3);
    TFindFile plain;
    plain.SetThreaded(true);
    plain.SetLocation(dir.path().string());
    FinderLog own;
    test::record(plain, own);
    plain.Execute();
    EXPECT_EQ(own.completes, 1);
    EXPECT_EQ(own.found.size(), 3u);
    EXPECT_FALSE(own.offOwnerThread);
}

TEST_F(FindFileThreaded, ThePriorityBecomesTheWorkersNiceness) {
    makeTree(dir, 1, 2);
    if (::getpriority(PRIO_PROCESS, 0) != 0) GTEST_SKIP() << "the test process itself is not at normal priority";
    std::vector<int> atStart, afterChange;
    finder->SetThreadPriority(tpLowest);
    finder->OnNewFolder = [&](TFindFile& sender, const std::string&, bool&) {
        if (!atStart.empty()) return;
        atStart = otherThreadsNiceness();
        sender.SetThreadPriority(tpIdle);
        afterChange = otherThreadsNiceness();
    };
    finder->Execute();
    ASSERT_TRUE(pumpToCompletion());
    EXPECT_TRUE(contains(atStart, nicenessFor(tpLowest)));
    EXPECT_FALSE(contains(atStart, nicenessFor(tpIdle)));
    EXPECT_TRUE(contains(afterChange, nicenessFor(tpIdle)));
    EXPECT_FALSE(contains(afterChange, nicenessFor(tpLowest)));
    // The owner's thread keeps its own priority.
    EXPECT_EQ(::getpriority(PRIO_PROCESS, id_t(currentThreadId())), 0);
}

TEST(FindFileThreadedRace, StartingAndStoppingManyTimesNeverHangs) {
    TempDir dir;
    makeTree(dir, 4, 10);
    PumpedOwnerThread owner;
    std::mt19937 random(12345);
    for (int iteration = 0; iteration < 200; ++iteration) {
        FinderLog log;
        auto finder = std::make_unique<TFindFile>(&owner);
        finder->SetThreaded(true);
        finder->SetLocation(dir.path().string());
        test::record(*finder, log);
        finder->Execute();
        const int pumps = int(random() % 30);
        for (int i = 0; i < pumps; ++i) {
            owner.pumpUntil([&] { return owner.pending() > 0 || log.completes > 0; }, std::chrono::milliseconds(50));
            owner.pump();
        }
        switch (random() % 3) {
            case 0:  // destroy at once
                finder.reset();
                break;
            case 1:  // stop, wait for the completion, then destroy
                finder->Abort();
                ASSERT_TRUE(owner.pumpUntil([&] { return log.completes > 0; })) << "iteration " << iteration;
                EXPECT_EQ(log.completes, 1);
                EXPECT_FALSE(finder->Busy());
                finder.reset();
                break;
            default:  // start again while busy, then let it finish
                finder->Execute();
                ASSERT_TRUE(owner.pumpUntil([&] { return log.completes > 0; })) << "iteration " << iteration;
                EXPECT_LE(log.found.size(), 40u);
                finder.reset();
                break;
        }
        owner.pump();
        EXPECT_LE(log.completes, 1);
    }
}

}  // namespace
}  // namespace zb::findfile

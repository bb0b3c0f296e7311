// The avatars' bounded set of workers against a scripted fetch that holds every
// transfer until the test lets it go.
#include "comments/avatar_fetcher.h"

#include "platform/qt_test_app.h"
#include "platform/workers.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace vamu::comments {
namespace {

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new test::QtTestEnvironment);
    return true;
}();

// Shared with the workers; outlives every fetch that may still run.
struct Transfers {
    std::mutex mutex;
    std::condition_variable changed;
    int inFlight = 0;                    // guarded by mutex
    int peak = 0;                        // guarded by mutex
    bool released = false;               // guarded by mutex
    std::map<std::string, int> started;  // guarded by mutex
    std::set<std::string> stoppedEarly;  // guarded by mutex
    std::set<std::string> failing;       // set before the run

    AvatarFetcher::Fetch fetch() {
        return [self = this](const std::string& url, std::stop_token stop) -> QByteArray {
            std::unique_lock lock(self->mutex);
            ++self->started[url];
            self->peak = std::max(self->peak, ++self->inFlight);
            self->changed.notify_all();
            std::stop_callback wake(stop, [self] { self->changed.notify_all(); });
            self->changed.wait(lock, [&] { return self->released || stop.stop_requested(); });
            --self->inFlight;
            self->changed.notify_all();
            if (stop.stop_requested()) {
                self->stoppedEarly.insert(url);
                return {};
            }
            return self->failing.count(url) ? QByteArray() : QByteArray::fromStdString("picture of " + url);
        };
    }
    void release() {
        const std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    int running() {
        const std::lock_guard lock(mutex);
        return inFlight;
    }
    int peakSeen() {
        const std::lock_guard lock(mutex);
        return peak;
    }
    int startedCount(const std::string& url) {
        const std::lock_guard lock(mutex);
        const auto it = started.find(url);
        return it == started.end() ? 0 : it->second;
    }
};

std::vector<std::string> urls(const std::string& prefix, int count) {
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) list.push_back(prefix + std::to_string(i));
    return list;
}

TEST(AvatarFetcher, FetchesEachUrlOnceWithAtMostFourAtATime) {
    static Transfers transfers;  // workers that never stop in time must not outlive it
    transfers.failing = {"u3"};
    AvatarFetcher fetcher(transfers.fetch());
    std::vector<std::string> list = urls("u", 12);
    list.insert(list.begin() + 3, {"u0", "", "u5", "u0"});  // repeats and a comment without an avatar
    std::map<std::string, QByteArray> arrived;
    int deliveries = 0;
    fetcher.start(list, [&](const std::string& url, const QByteArray& bytes) {
        arrived[url] = bytes;
        ++deliveries;
    });
    ASSERT_TRUE(test::pumpUntil([&] { return transfers.running() == AvatarFetcher::kWorkers; }));
    test::pumpUntil([] { return false; }, 100);  // time for a fifth to start, if one could
    EXPECT_EQ(transfers.running(), AvatarFetcher::kWorkers);
    EXPECT_TRUE(arrived.empty());

    transfers.release();
    ASSERT_TRUE(test::pumpUntil([&] { return !fetcher.running(); }));
    EXPECT_EQ(transfers.peakSeen(), AvatarFetcher::kWorkers);
    EXPECT_EQ(deliveries, 12);  // one delivery per distinct URL
    for (const std::string& url : urls("u", 12)) {
        EXPECT_EQ(transfers.startedCount(url), 1) << url;
        ASSERT_TRUE(arrived.count(url)) << url;
        EXPECT_EQ(arrived[url].isEmpty(), url == "u3") << url;  // a failure arrives as no bytes
    }
    EXPECT_EQ(transfers.startedCount(""), 0);
}

TEST(AvatarFetcher, ANewRunStopsTheOldOneAndDropsItsLatePictures) {
    static Transfers transfers;
    AvatarFetcher fetcher(transfers.fetch());
    std::vector<std::string> seen;
    const auto record = [&](const std::string& url, const QByteArray&) { seen.push_back(url); };

    // Ten songs in quick succession, each run caught with its transfers under way.
    for (int song = 0; song < 10; ++song) {
        const std::string prefix = "song" + std::to_string(song) + "/";
        fetcher.start(urls(prefix, 6), record);
        // URLs are taken in order: the first four under way means all four workers are busy.
        ASSERT_TRUE(test::pumpUntil([&] {
            for (int i = 0; i < AvatarFetcher::kWorkers; ++i) {
                if (transfers.startedCount(prefix + std::to_string(i)) != 1) return false;
            }
            return true;
        }));
    }
    // The old runs' workers were told to stop and have left their transfers.
    ASSERT_TRUE(test::pumpUntil([&] {
        const std::lock_guard lock(transfers.mutex);
        return transfers.stoppedEarly.size() == 9u * AvatarFetcher::kWorkers;
    }));
    EXPECT_TRUE(test::pumpUntil([&] { return transfers.running() == AvatarFetcher::kWorkers; }));
    transfers.release();
    ASSERT_TRUE(test::pumpUntil([&] { return !fetcher.running(); }));
    ASSERT_EQ(seen.size(), 6u);
    for (const std::string& url : seen) EXPECT_EQ(url.rfind("song9/", 0), 0u) << url;
    // An old run took no URL after it was stopped.
    for (int song = 0; song < 9; ++song) {
        EXPECT_EQ(transfers.startedCount("song" + std::to_string(song) + "/4"), 0) << song;
    }
}

TEST(AvatarFetcher, StopAndDestructionDeliverNothingMore) {
    static Transfers transfers;
    int deliveries = 0;
    {
        AvatarFetcher fetcher(transfers.fetch());
        fetcher.start(urls("a", 3), [&](const std::string&, const QByteArray&) { ++deliveries; });
        ASSERT_TRUE(test::pumpUntil([&] { return transfers.running() == 3; }));
        fetcher.stop();
        EXPECT_FALSE(fetcher.running());
        fetcher.start(urls("b", 2), [&](const std::string&, const QByteArray&) { ++deliveries; });
        ASSERT_TRUE(test::pumpUntil([&] { return transfers.startedCount("b1") == 1; }));
    }  // destroyed with two transfers under way
    transfers.release();
    ASSERT_TRUE(test::pumpUntil([&] { return transfers.running() == 0; }));
    test::pumpUntil([] { return false; }, 100);
    EXPECT_EQ(deliveries, 0);
}

}  // namespace
}  // namespace vamu::comments

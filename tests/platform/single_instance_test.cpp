// The single-instance channel: who becomes the primary, a stale socket left by a
// crashed primary, and a request delivered across threads while the primary's loop runs.
#include "platform/single_instance.h"
#include "qt_test_app.h"

#include <QLocalServer>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vamu::platform {
namespace {

QString uniqueKey() { return QStringLiteral("/tmp/settings-") + QUuid::createUuid().toString(QUuid::Id128); }

TEST(SingleInstanceTest, FirstHolderIsPrimaryUntilItEnds) {
    const QString key = uniqueKey();
    auto first = std::make_unique<SingleInstance>(key);
    EXPECT_EQ(first->role(), SingleInstance::Role::Primary);
    {
        SingleInstance second(key);
        EXPECT_EQ(second.role(), SingleInstance::Role::Secondary);
    }
    // Another folder is another instance.
    SingleInstance other(uniqueKey());
    EXPECT_EQ(other.role(), SingleInstance::Role::Primary);

    first.reset();
    SingleInstance next(key);
    EXPECT_EQ(next.role(), SingleInstance::Role::Primary);
}

TEST(SingleInstanceTest, RequestReachesPrimaryHandlerOnItsThread) {
    const QString key = uniqueKey();
    SingleInstance primary(key);
    ASSERT_EQ(primary.role(), SingleInstance::Role::Primary);
    QStringList received;
    primary.onRequest([&](const QString& line) {
        EXPECT_TRUE(isUiThread());
        received << line;
    });

    std::atomic<int> delivered{-1};
    std::thread secondary([&] {
        SingleInstance second(key);
        delivered = second.role() == SingleInstance::Role::Secondary &&
                    second.sendToPrimary(SingleInstance::kRaiseRequest, std::chrono::seconds(5));
    });
    EXPECT_TRUE(test::pumpUntil([&] { return delivered.load() != -1; }, 8000));
    secondary.join();
    EXPECT_EQ(delivered.load(), 1);
    EXPECT_EQ(received, QStringList{QStringLiteral("raise")});
}

TEST(SingleInstanceTest, SecondaryGivesUpWhenNoPrimaryAnswers) {
    // A lock held by a process that never listens (a hung primary): the secondary
    // must give up within its bound instead of waiting for ever.
    const QString key = uniqueKey();
    SingleInstance primary(key);
    ASSERT_EQ(primary.role(), SingleInstance::Role::Primary);
    QLocalServer::removeServer(primary.serverName());
    SingleInstance second(key);
    ASSERT_EQ(second.role(), SingleInstance::Role::Secondary);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.sendToPrimary(SingleInstance::kRaiseRequest, std::chrono::milliseconds(400)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace vamu::platform

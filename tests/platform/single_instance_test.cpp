#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

TEST(SingleInstance, secondStartAsksTheFirstToComeForwardAndStops) {
    const QString key = "quelvora-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    platform::SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);

    platform::SingleInstance second(key);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleInstance, staleSocketFileOfACrashedInstanceIsTakenOver) {
    const QString key = "quelvora-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    platform::SingleInstance next(key);
    // A crash leaves the socket file behind with nobody listening on it.
    QFile stale(QDir::tempPath() + "/" + next.socketName());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    EXPECT_TRUE(next.claim());

    platform::SingleInstance later(key);
    EXPECT_FALSE(later.claim());
}

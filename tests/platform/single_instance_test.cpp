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
    ASSERT_EQ(raised.count(), 1);
    EXPECT_EQ(raised.at(0).at(0).toString(), QString());  // no project given

    // A start given a project names it, accents and blanks included.
    platform::SingleInstance third(key);
    EXPECT_FALSE(third.claim(QString::fromUtf8("/home/ana/Geologia São João/mapa 1.jjj")));
    EXPECT_TRUE(raised.wait(5000));
    ASSERT_EQ(raised.count(), 2);
    EXPECT_EQ(raised.at(1).at(0).toString(),
              QString::fromUtf8("/home/ana/Geologia São João/mapa 1.jjj"));

    // A path with a line break could not be told from the next line: the
    // window still comes forward, without a project.
    platform::SingleInstance fourth(key);
    EXPECT_FALSE(fourth.claim("D:\\a\nproject C:\\b.jjj"));
    EXPECT_TRUE(raised.wait(5000));
    ASSERT_EQ(raised.count(), 3);
    EXPECT_EQ(raised.at(2).at(0).toString(), QString());
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

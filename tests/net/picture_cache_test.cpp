// The store of kept answers: found again by URL and by covering box, kept
// within its limit in order of use, damaged entries removed, switched off.
#include "net/picture_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QDateTime kMonday = QDateTime(QDate(2026, 3, 2), QTime(9, 15), Qt::UTC);

net::KeptRequest mapRequest(const QString& url, QRectF box, QSize size,
                            const QString& layers = "lito") {
    return {url, "http://wms/?", layers, "EPSG:4326", box, size};
}

// A box from west, south, east, north.
QRectF box(double west, double south, double east, double north) {
    return QRectF(QPointF(west, south), QPointF(east, north));
}

class PictureCacheTest : public ::testing::Test {
protected:
    QString folder() const { return dir.filePath("cache"); }
    QStringList files() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
};

TEST_F(PictureCacheTest, answerIsFoundAgainByUrlAfterARestart) {
    {
        net::PictureCache cache(folder(), 1 << 20);
        ASSERT_TRUE(cache.keep({"http://wms/?request=getcapabilities", "", "", "", {}, {}},
                               "<WMT_MS_Capabilities/>", kMonday));
    }
    net::PictureCache again(folder(), 1 << 20);
    const auto entry = again.findUrl("http://wms/?request=getcapabilities");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->keptAt, kMonday);
    EXPECT_EQ(again.read(*entry), QByteArray("<WMT_MS_Capabilities/>"));
    EXPECT_FALSE(again.findUrl("http://wms/?request=GetCapabilities"));  // exact URL only
}

TEST_F(PictureCacheTest, sameUrlReplacesTheEarlierAnswer) {
    net::PictureCache cache(folder(), 1 << 20);
    ASSERT_TRUE(cache.keep(mapRequest("u", box(0, 0, 10, 10), {100, 100}), "first"));
    ASSERT_TRUE(cache.keep(mapRequest("u", box(0, 0, 10, 10), {100, 100}), "second!"));
    ASSERT_EQ(cache.entries().size(), 1u);
    EXPECT_EQ(cache.read(*cache.findUrl("u")), QByteArray("second!"));
    EXPECT_EQ(files().size(), 2);
}

TEST_F(PictureCacheTest, coveringPicturesOfTheSameSourceComeFinestFirst) {
    net::PictureCache cache(folder(), 1 << 20);
    ASSERT_TRUE(cache.keep(mapRequest("coarse", box(-50, -20, -40, -10), {100, 100}), "c"));
    ASSERT_TRUE(cache.keep(mapRequest("fine", box(-46, -16, -44, -14), {400, 400}), "f"));
    ASSERT_TRUE(cache.keep(mapRequest("east", box(-45, -20, -40, -10), {100, 200}), "e"));
    ASSERT_TRUE(
        cache.keep(mapRequest("other", box(-50, -20, -40, -10), {900, 900}, "relevo"), "o"));
    net::KeptRequest otherSrs = mapRequest("srs", box(-50, -20, -40, -10), {900, 900});
    otherSrs.srs = "EPSG:31983";
    ASSERT_TRUE(cache.keep(otherSrs, "s"));

    const auto keys = [](const std::vector<net::KeptEntry>& found) {
        QStringList urls;
        for (const auto& e : found) urls << e.request.url;
        return urls;
    };
    const QString address = "http://wms/?";
    EXPECT_EQ(
        keys(cache.findCovering(address, "lito", "EPSG:4326", box(-45.5, -15.5, -44.5, -14.5), 0)),
        QStringList({"fine", "coarse"}));
    // Inside the east half only: the east picture is finer than the coarse one.
    EXPECT_EQ(keys(cache.findCovering(address, "lito", "EPSG:4326", box(-44, -19, -41, -11), 0)),
              QStringList({"east", "coarse"}));
    // Reaching past every kept box by more than the tolerance: nothing.
    EXPECT_TRUE(
        cache.findCovering(address, "lito", "EPSG:4326", box(-51, -15, -45, -12), 0.1).empty());
    // Past it by less than the tolerance (a pixel): still covered.
    EXPECT_EQ(keys(cache.findCovering(address, "lito", "EPSG:4326",
                                      box(-50.0000001, -20, -40, -9.9999999), 1e-6)),
              QStringList({"coarse"}));
}

TEST_F(PictureCacheTest, limitDropsTheLeastRecentlyUsedAndAReadIsAUse) {
    const QByteArray answer(1000, 'x');
    // Room for three answers with their records, not four.
    net::PictureCache cache(folder(), 3 * 1000 + 3 * 400);
    for (const char* url : {"a", "b", "c"}) {
        ASSERT_TRUE(cache.keep(mapRequest(url, box(0, 0, 1, 1), {10, 10}), answer));
    }
    ASSERT_TRUE(cache.read(*cache.findUrl("a")));  // "b" is now the least recently used
    ASSERT_TRUE(cache.keep(mapRequest("d", box(0, 0, 1, 1), {10, 10}), answer));
    EXPECT_TRUE(cache.findUrl("a"));
    EXPECT_FALSE(cache.findUrl("b"));
    EXPECT_TRUE(cache.findUrl("c"));
    EXPECT_TRUE(cache.findUrl("d"));
    EXPECT_LE(cache.totalBytes(), 3 * 1000 + 3 * 400);
    EXPECT_EQ(files().size(), 6);

    // A smaller limit at the next start drops the oldest until it holds.
    net::PictureCache smaller(folder(), 2 * 1000 + 2 * 400);
    EXPECT_FALSE(smaller.findUrl("c"));
    EXPECT_TRUE(smaller.findUrl("a"));
    EXPECT_TRUE(smaller.findUrl("d"));
    EXPECT_EQ(files().size(), 4);
}

TEST_F(PictureCacheTest, answerLargerThanTheWholeLimitIsNotKept) {
    net::PictureCache cache(folder(), 500);
    EXPECT_FALSE(cache.keep(mapRequest("big", box(0, 0, 1, 1), {10, 10}), QByteArray(600, 'b')));
    EXPECT_TRUE(cache.entries().empty());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(PictureCacheTest, damagedEntriesAreRemovedNeverHandedOut) {
    {
        net::PictureCache cache(folder(), 1 << 20);
        for (const char* url : {"record", "short", "changed", "whole"}) {
            ASSERT_TRUE(cache.keep(mapRequest(url, box(0, 0, 1, 1), {10, 10}), "0123456789"));
        }
    }
    const auto key = [](const char* url) {
        return QString::fromLatin1(
            QCryptographicHash::hash(QByteArray(url), QCryptographicHash::Sha1).toHex());
    };
    const auto overwrite = [this](const QString& name, const QByteArray& bytes) {
        QFile file(QDir(folder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    overwrite(key("record") + ".idx", QByteArray("\x00\x01garbage", 9));
    overwrite(key("short") + ".dat", "01234");
    overwrite(key("changed") + ".dat", "0123456780");  // same size, other bytes
    overwrite("orphan.dat", "no record");

    net::PictureCache cache(folder(), 1 << 20);
    EXPECT_FALSE(cache.findUrl("record"));
    EXPECT_FALSE(cache.findUrl("short"));
    const auto changed = cache.findUrl("changed");
    ASSERT_TRUE(changed);  // its size is right: the damage shows on reading
    EXPECT_FALSE(cache.read(*changed));
    EXPECT_FALSE(cache.findUrl("changed"));
    EXPECT_EQ(cache.read(*cache.findUrl("whole")), QByteArray("0123456789"));
    EXPECT_EQ(files(), QStringList({key("whole") + ".dat", key("whole") + ".idx"}));
}

TEST_F(PictureCacheTest, switchedOffKeepsAndFindsNothing) {
    for (auto cache : {net::PictureCache(folder(), 1 << 20, false), net::PictureCache(folder(), 0),
                       net::PictureCache(QString(), 1 << 20)}) {
        EXPECT_FALSE(cache.isEnabled());
        EXPECT_FALSE(cache.keep(mapRequest("u", box(0, 0, 1, 1), {10, 10}), "bytes"));
        EXPECT_FALSE(cache.findUrl("u"));
        EXPECT_TRUE(
            cache.findCovering("http://wms/?", "lito", "EPSG:4326", box(0, 0, 1, 1), 0).empty());
    }
    EXPECT_FALSE(QDir(folder()).exists());
}

}  // namespace

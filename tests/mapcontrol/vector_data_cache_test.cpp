#include "mapcontrol/vector_data_cache.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mapcontrol;
using fixtures::ShapefileBuilder;

namespace {

class VectorDataCacheTest : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    // Squares in a row, one per value of the text field V.
    QString write(const QString& name, const QStringList& values) {
        ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("V", 10);
        for (int i = 0; i < values.size(); ++i) {
            b.feature(QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(i).arg(i + 1),
                      {values[i]});
        }
        const QString path = dir.filePath(name);
        EXPECT_TRUE(b.write(path));
        return path;
    }

    std::shared_ptr<const VectorData> load(const QString& path) {
        auto loaded = cache.load(path);
        if (const auto* error = std::get_if<VectorData::LoadError>(&loaded)) {
            ADD_FAILURE() << error->message.toStdString();
            return nullptr;
        }
        return std::get<std::shared_ptr<const VectorData>>(loaded);
    }

    // Sets the file's modification time `seconds` away from what it was.
    static void touch(const QString& path, int seconds) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QDateTime was = file.fileTime(QFileDevice::FileModificationTime);
        ASSERT_TRUE(file.setFileTime(was.addSecs(seconds), QFileDevice::FileModificationTime));
    }

    static QString firstValue(const VectorData& data) { return data.table().text(0, 0); }

    QTemporaryDir dir;
    VectorDataCache cache;
};

}  // namespace

TEST_F(VectorDataCacheTest, unchangedFileGivesTheSameDataWithoutReadingItAgain) {
    const QString path = write("geo.shp", {"a", "b"});
    const auto first = load(path);
    const auto second = load(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(cache.readCount(), 1u);
    EXPECT_EQ(cache.loadedFileCount(), 1u);
}

TEST_F(VectorDataCacheTest, anotherPathToTheSameFileSharesItsData) {
    const QString path = write("geo.shp", {"a"});
    QDir().mkpath(dir.filePath("sub"));
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath("sub/link")));
    const auto direct = load(path);
    EXPECT_EQ(load(dir.filePath("sub/../geo.shp")), direct);
    EXPECT_EQ(load(dir.filePath("sub/link/geo.shp")), direct);
    EXPECT_EQ(cache.readCount(), 1u);
}

TEST_F(VectorDataCacheTest, rewrittenFileIsReadAgain) {
    const QString path = write("geo.shp", {"a"});
    const auto before = load(path);
    write("geo.shp", {"b", "c"});
    const auto after = load(path);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_EQ(after->featureCount(), 2u);
    EXPECT_EQ(before->featureCount(), 1u);  // what still holds the old data keeps it whole
    EXPECT_EQ(cache.readCount(), 2u);
}

TEST_F(VectorDataCacheTest, tableRewrittenAloneIsReadAgain) {
    // Another attribute value of the same width: every file keeps its size,
    // only the .dbf is new.
    const QString path = write("geo.shp", {"a"});
    const auto before = load(path);
    QTemporaryDir other;
    ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("V", 10).feature("POLYGON((0 0,0 1,1 1,1 0,0 0))", {QString("z")});
    ASSERT_TRUE(b.write(other.filePath("geo.shp")));
    ASSERT_TRUE(QFile::remove(dir.filePath("geo.dbf")));
    ASSERT_TRUE(QFile::copy(other.filePath("geo.dbf"), dir.filePath("geo.dbf")));
    const auto after = load(path);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(firstValue(*after), "z");
    EXPECT_EQ(firstValue(*before), "a");
}

TEST_F(VectorDataCacheTest, fileWithAnotherTimeStampIsReadAgain) {
    const QString path = write("geo.shp", {"a"});
    const auto before = load(path);
    touch(path, 60);  // the same bytes, written again in place
    const auto touched = load(path);
    EXPECT_NE(touched, before);
    touch(dir.filePath("geo.dbf"), 60);
    EXPECT_NE(load(path), touched);
    EXPECT_EQ(cache.readCount(), 3u);
}

TEST_F(VectorDataCacheTest, dataGoesWithItsLastHolderAndIsThenReadAgain) {
    const QString path = write("geo.shp", {"a"});
    std::weak_ptr<const VectorData> watched;
    {
        const auto first = load(path);
        const auto second = load(path);
        watched = first;
    }
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(cache.loadedFileCount(), 0u);
    EXPECT_NE(load(path), nullptr);
    EXPECT_EQ(cache.readCount(), 2u);
}

TEST_F(VectorDataCacheTest, fileThatCannotBeReadIsTriedAgainEachTime) {
    const QString path = dir.filePath("geo.shp");
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a shapefile");
    damaged.close();
    EXPECT_TRUE(std::holds_alternative<VectorData::LoadError>(cache.load(path)));
    write("geo.shp", {"a"});  // mended
    const auto mended = load(path);
    EXPECT_NE(mended, nullptr);
    EXPECT_TRUE(std::holds_alternative<VectorData::LoadError>(cache.load(dir.filePath("no.shp"))));
    EXPECT_EQ(cache.readCount(), 3u);
    EXPECT_EQ(cache.loadedFileCount(), 1u);
}

TEST_F(VectorDataCacheTest, layersOfOneFileShareTheirData) {
    const QString path = write("geo.shp", {"a"});
    const std::size_t reads = VectorDataCache::shared().readCount();
    const VectorLayer first(path);
    const VectorLayer second(path);
    EXPECT_EQ(first.data(), second.data());
    EXPECT_EQ(VectorDataCache::shared().readCount(), reads + 1);
}

// Costs of the platform layer on the paths every file access takes: turning
// Windows-form paths into native ones, and reading Windows-1252 text files.
#include "platform/drives.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct DriveFixture {
    QTemporaryDir dir;
    platform::DriveTable table;

    // 20 folders of 200 files each, on drive D.
    DriveFixture() {
        table.setRoot('D', dir.path());
        for (int f = 0; f < 20; ++f) {
            const QString folder = dir.path() + QString("/dados%1").arg(f);
            QDir().mkpath(folder);
            for (int i = 0; i < 200; ++i) {
                QFile(folder + QString("/tema%1.shp").arg(i)).open(QIODevice::WriteOnly);
            }
        }
    }
};

DriveFixture& drives() {
    static DriveFixture fixture;
    return fixture;
}

// The exact spelling exists: one stat per component.
void BM_ToNativeExactCase(benchmark::State& state) {
    const auto& table = drives().table;
    if (table.toNative("D:\\dados7\\tema150.shp") != drives().dir.path() + "/dados7/tema150.shp") {
        state.SkipWithError("wrong resolution");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.toNative("D:\\dados7\\tema150.shp"));
    }
}
BENCHMARK(BM_ToNativeExactCase);

// Windows spelling in another case: a folder listing per mismatched component.
void BM_ToNativeOtherCase(benchmark::State& state) {
    const auto& table = drives().table;
    if (table.toNative("D:\\DADOS7\\TEMA150.SHP") != drives().dir.path() + "/dados7/tema150.shp") {
        state.SkipWithError("wrong resolution");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.toNative("D:\\DADOS7\\TEMA150.SHP"));
    }
}
BENCHMARK(BM_ToNativeOtherCase);

// A colour file at the table's limit of 8001 classes, read whole.
void BM_ReadTextLines8001(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("geologia.cor");
    QStringList lines{"SIGLA_UNID,8000"};
    for (int i = 0; i < 8000; ++i) {
        lines.append(QString::fromUtf8("Formação %1,200,10,30,3").arg(i));
    }
    if (!platform::writeTextLines(path, lines)) {
        state.SkipWithError("cannot write the fixture");
        return;
    }
    for (auto _ : state) {
        const platform::TextLines read = platform::readTextLines(path);
        if (read.lines.size() != 8001) {
            state.SkipWithError("wrong line count");
            return;
        }
        benchmark::DoNotOptimize(read.lines);
    }
    state.SetItemsProcessed(state.iterations() * 8001);
}
BENCHMARK(BM_ReadTextLines8001)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

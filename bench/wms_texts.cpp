// Costs of reading what web map services and macro files hand the program:
// a 50 MB GetCapabilities document on one line (the line rules find no name
// and the XML reader reads it all), the same with one element per line, and
// a macro file of 100,000 layer entries, and the gateway's map list of
// 100,000 lines. QUELVORA_BENCH_SCALE (default 1) shrinks the sizes for the
// smoke run.
#include "wms/capabilities.h"
#include "wms/fixed_connections.h"
#include "wms/macro_file.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

double scale() {
    const double s = qEnvironmentVariable("QUELVORA_BENCH_SCALE", "1").toDouble();
    return s > 0 ? s : 1.0;
}

// About `bytes` of layers, each with a default style; `end` between elements.
QByteArray capabilities(qsizetype bytes, const char* end, int* layers) {
    QByteArray document;
    document.reserve(bytes + 1000);
    document += QByteArray("<?xml version=\"1.0\"?>") + end +
                "<WMT_MS_Capabilities version=\"1.1.1\">" + end + "<Capability>" + end + "<Layer>" +
                end + "<Title>Raiz</Title>" + end +
                "<LatLonBoundingBox minx=\"-74\" miny=\"-34\" maxx=\"-34\" maxy=\"5\"/>" + end;
    *layers = 0;
    while (document.size() < bytes) {
        const QByteArray n = QByteArray::number(*layers);
        document += QByteArray("<Layer queryable=\"1\">") + end + "<Name>camada_" + n + "</Name>" +
                    end + "<Title>Camada " + n + ", folha</Title>" + end + "<Style>" + end +
                    "<Name>default</Name>" + end + "</Style>" + end + "</Layer>" + end;
        ++*layers;
    }
    document += QByteArray("</Layer>") + end + "</Capability>" + end + "</WMT_MS_Capabilities>";
    return document;
}

void readDocument(benchmark::State& state, const char* end) {
    int layers = 0;
    const QByteArray document = capabilities(static_cast<qsizetype>(50e6 * scale()), end, &layers);
    if (wms::readCapabilities(document, 0).entries.size() != layers) {
        state.SkipWithError("wrong layer count");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(wms::readCapabilities(document, 0));
    }
    state.SetBytesProcessed(state.iterations() * document.size());
    state.counters["layers"] = layers;
}

void BM_CapabilitiesOnOneLine(benchmark::State& state) {
    readDocument(state, "");
}
BENCHMARK(BM_CapabilitiesOnOneLine)->Unit(benchmark::kMillisecond);

void BM_CapabilitiesOneElementPerLine(benchmark::State& state) {
    readDocument(state, "\r\n");
}
BENCHMARK(BM_CapabilitiesOneElementPerLine)->Unit(benchmark::kMillisecond);

void BM_MacroFileOfManyLayers(benchmark::State& state) {
    wms::MacroFile macro;
    macro.north = "5";
    macro.services = {"http://geo.invalid/wms?"};
    const int count = std::max(10, static_cast<int>(100000 * scale()));
    for (int i = 0; i < count; ++i) {
        macro.layers.emplace_back(QStringLiteral("0*Camada %1, folha,camada_%1").arg(i), i % 2);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("grande.end");
    for (auto _ : state) {
        if (!wms::writeMacroFile(path, macro).ok) {
            state.SkipWithError("write failed");
            return;
        }
        const wms::MacroRead read = wms::readMacroFile(path);
        if (read.macro.layers.size() != macro.layers.size()) {
            state.SkipWithError("wrong layer count");
            return;
        }
    }
    state.counters["layers"] = count;
}
BENCHMARK(BM_MacroFileOfManyLayers)->Unit(benchmark::kMillisecond);

// The gateway's map list of 100,000 lines in eight groups: the lines of one
// group picked out, then each read into a map name and an extent, as
// choosing a group and then each of its maps does.
void BM_MapListGroupAndLines(benchmark::State& state) {
    const int count = std::max(16, static_cast<int>(100000 * scale()));
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        lines.append(QStringLiteral("Folha %1 1:100.000,%2;MAPA_%1,%3,-50.5,%4,-49.5")
                         .arg(i)
                         .arg(i % 8 + 1)
                         .arg(-10 - i % 20)
                         .arg(-11 - i % 20));
    }
    if (wms::mapListLinesOfGroup(lines, 3).size() != count / 8 + (count % 8 > 2)) {
        state.SkipWithError("wrong line count");
        return;
    }
    for (auto _ : state) {
        int maps = 0;
        for (const QString& line : wms::mapListLinesOfGroup(lines, 3)) {
            maps += wms::parseMapLine(line).has_value();
        }
        if (maps != count / 8 + (count % 8 > 2)) {
            state.SkipWithError("a map line was not read");
            return;
        }
    }
    state.counters["lines"] = count;
}
BENCHMARK(BM_MapListGroupAndLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

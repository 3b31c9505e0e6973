#include "platform/text_file.h"

#include "platform/text_codec.h"

#include <QFile>
#include <QSaveFile>

namespace platform {

namespace {

Result openFailure(const QFile& file) {
    return Result::failure(QStringLiteral("Erro de leitura do arquivo %1").arg(file.fileName()),
                           file.errorString());
}

QString decodeLine(QByteArrayView bytes) {
    if (bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    return decodeWindows1252(bytes.toByteArray());
}

}  // namespace

QStringList splitTextLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            end = bytes.size();
        }
        lines.append(decodeLine(QByteArrayView(bytes).sliced(start, end - start)));
        start = end + 1;
    }
    return lines;
}

TextLines readTextLines(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {openFailure(file), {}};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {openFailure(file), {}};
    }
    return {Result::success(), splitTextLines(bytes)};
}

TextLines readFirstTextLine(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {openFailure(file), {}};
    }
    const QByteArray line = file.readLine();
    if (file.error() != QFileDevice::NoError) {
        return {openFailure(file), {}};
    }
    return {Result::success(), splitTextLines(line)};
}

Result writeTextLines(const QString& nativePath, const QStringList& lines) {
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly)) {
        return Result::failure(QStringLiteral("Erro de gravação do arquivo %1").arg(nativePath),
                               file.errorString());
    }
    for (const QString& line : lines) {
        QByteArray bytes = encodeWindows1252(line);
        bytes.append("\r\n");
        if (file.write(bytes) != bytes.size()) {
            const QString detail = file.errorString();
            file.cancelWriting();
            return Result::failure(QStringLiteral("Erro de gravação do arquivo %1").arg(nativePath),
                                   detail);
        }
    }
    if (!file.commit()) {
        return Result::failure(QStringLiteral("Erro de gravação do arquivo %1").arg(nativePath),
                               file.errorString());
    }
    return Result::success();
}

}  // namespace platform

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
    QByteArray bytes;
    for (const QString& line : lines) {
        // A character the code page cannot hold would be written as "?" and
        // lost: nothing is written then, and the old file stays whole.
        if (const QString missing = unencodableWindows1252(line); !missing.isEmpty()) {
            return Result::failure(
                QStringLiteral("Não foi possível gravar o arquivo %1: \"%2\" contém caracteres "
                               "que a codificação do arquivo (Windows-1252) não pode guardar: %3. "
                               "O arquivo não foi alterado.")
                    .arg(nativePath, line.trimmed(), missing),
                QStringLiteral("caracteres fora do Windows-1252: %1").arg(missing));
        }
        bytes.append(encodeWindows1252(line));
        bytes.append("\r\n");
    }
    return writeFileAtomically(nativePath, bytes);
}

Result writeFileAtomically(const QString& nativePath, const QByteArray& bytes) {
    const auto failure = [&nativePath](const QString& detail) {
        return Result::failure(QStringLiteral("Erro de gravação do arquivo %1").arg(nativePath),
                               detail);
    };
    // Unbuffered, so that a write the disk cuts short is seen here: a
    // buffered device can lose the error of its last flush.
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return failure(file.errorString());
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString detail = file.errorString();
            file.cancelWriting();
            return failure(detail.isEmpty() ? QStringLiteral("disco cheio") : detail);
        }
        written += n;
    }
    if (!file.commit()) {
        return failure(file.errorString());
    }
    return Result::success();
}

}  // namespace platform

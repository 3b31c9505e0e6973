#include "platform/memory.h"

#include <QFile>
#include <QList>

#include <sys/sysinfo.h>

namespace platform {

std::uint64_t memTotalFromMeminfo(const QByteArray& meminfo) {
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemTotal:")) {
            continue;
        }
        const QList<QByteArray> fields = line.mid(9).simplified().split(' ');
        bool ok = false;
        const qulonglong kib = fields.value(0).toULongLong(&ok);
        if (!ok || kib > UINT64_MAX / 1024) {
            return 0;
        }
        return kib * 1024;
    }
    return 0;
}

std::uint64_t installedMemoryBytes() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        if (const std::uint64_t bytes = memTotalFromMeminfo(meminfo.readAll())) {
            return bytes;
        }
    }
    struct sysinfo info {};
    if (::sysinfo(&info) == 0) {
        return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
    }
    return 0;
}

}  // namespace platform

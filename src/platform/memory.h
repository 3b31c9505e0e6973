#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace platform {

// Total physical memory of the machine in bytes; 0 when unknown.
std::uint64_t installedMemoryBytes();

// The "MemTotal:" figure of /proc/meminfo text, in bytes; 0 when absent.
std::uint64_t memTotalFromMeminfo(const QByteArray& meminfo);

// The start-up code takes the memory query as a function so that tests can
// give it any machine size.
using MemoryQuery = std::function<std::uint64_t()>;

}  // namespace platform

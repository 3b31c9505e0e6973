#pragma once

#include <sys/resource.h>

#include <csignal>

namespace support {

// While it lives, the disk refuses to let any file grow past `bytes`, as a
// full disk would (for root too); writes past the limit fail instead of
// ending the process.
class DiskFull {
public:
    explicit DiskFull(rlim_t bytes) {
        m_set = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_set = m_set && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~DiskFull() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

    // False when the limit could not be set.
    bool isSet() const { return m_set; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
    bool m_set = false;
};

}  // namespace support

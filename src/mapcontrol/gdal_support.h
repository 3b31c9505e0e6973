#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace mapcontrol {

// Registers GDAL's drivers once per process.
void registerGdal();

// Collects the messages GDAL raises on this thread while it lives, instead of
// printing them on stderr, so that they can go into a layer's error text or a
// result's detail.
class ScopedGdalErrors {
public:
    ScopedGdalErrors();
    ~ScopedGdalErrors();
    ScopedGdalErrors(const ScopedGdalErrors&) = delete;
    ScopedGdalErrors& operator=(const ScopedGdalErrors&) = delete;

    bool hasFailure() const { return !m_failures.isEmpty(); }
    bool hasWarning() const { return !m_warnings.isEmpty(); }
    // The failures, one per line.
    QString failures() const { return m_failures.join(QLatin1Char('\n')); }
    // Failures first, then warnings, one per line.
    QString messages() const { return (m_failures + m_warnings).join(QLatin1Char('\n')); }
    void clear();

private:
    static void handle(int errorClass, int errorNumber, const char* message);

    QStringList m_failures;
    QStringList m_warnings;
};

// Sets a GDAL configuration option for the current thread and restores the
// previous value when it goes.
class ScopedGdalConfigOption {
public:
    ScopedGdalConfigOption(const char* key, const char* value);
    ~ScopedGdalConfigOption();
    ScopedGdalConfigOption(const ScopedGdalConfigOption&) = delete;
    ScopedGdalConfigOption& operator=(const ScopedGdalConfigOption&) = delete;

private:
    std::string m_key;
    std::optional<std::string> m_previous;
};

}  // namespace mapcontrol

#pragma once

#include <QString>
#include <QStringList>

namespace mapcontrol {

// Registers GDAL's drivers once per process.
void registerGdal();

// Collects the messages GDAL raises on this thread while it lives, instead of
// printing them on stderr, so that they can go into a layer's error text.
class ScopedGdalErrors {
public:
    ScopedGdalErrors();
    ~ScopedGdalErrors();
    ScopedGdalErrors(const ScopedGdalErrors&) = delete;
    ScopedGdalErrors& operator=(const ScopedGdalErrors&) = delete;

    bool hasFailure() const { return m_failures > 0; }
    // Every message, one per line, failures and warnings in the order raised.
    QString text() const { return m_messages.join(QLatin1Char('\n')); }

private:
    static void handle(int errorClass, int errorNumber, const char* message);

    QStringList m_messages;
    int m_failures = 0;
};

}  // namespace mapcontrol

#pragma once

#include <QString>

namespace platform {

// Outcome of a file or network operation: success, or a message for the user
// together with the technical detail (OS error, HTTP status, library message).
struct [[nodiscard]] Result {
    bool ok = true;
    QString message;         // for the user; empty on success
    QString detail;          // for diagnosis; may be empty
    bool cancelled = false;  // the user ended it (Esc, "Cancelar")
    // A download that reached no server: refused, no route, name not
    // resolved, time-out. False for an answer with an error status.
    bool unreachable = false;

    static Result success() { return {}; }
    static Result failure(QString message, QString detail = {}) {
        return {false, std::move(message), std::move(detail)};
    }
    explicit operator bool() const { return ok; }
};

}  // namespace platform

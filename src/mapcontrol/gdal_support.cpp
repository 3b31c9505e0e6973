#include "mapcontrol/gdal_support.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace mapcontrol {

void registerGdal() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

ScopedGdalErrors::ScopedGdalErrors() {
    CPLPushErrorHandlerEx(
        [](CPLErr errorClass, CPLErrorNum number, const char* message) {
            handle(static_cast<int>(errorClass), number, message);
        },
        this);
}

ScopedGdalErrors::~ScopedGdalErrors() {
    CPLPopErrorHandler();
}

void ScopedGdalErrors::clear() {
    m_failures.clear();
    m_warnings.clear();
}

void ScopedGdalErrors::handle(int errorClass, int, const char* message) {
    auto* self = static_cast<ScopedGdalErrors*>(CPLGetErrorHandlerUserData());
    if (!self) {
        return;
    }
    const QString text = QString::fromUtf8(message ? message : "");
    if (errorClass >= CE_Failure) {
        self->m_failures.append(text);
    } else if (errorClass == CE_Warning) {
        self->m_warnings.append(text);
    }
}

ScopedGdalConfigOption::ScopedGdalConfigOption(const char* key, const char* value) : m_key(key) {
    if (const char* previous = CPLGetThreadLocalConfigOption(key, nullptr)) {
        m_previous = previous;
    }
    CPLSetThreadLocalConfigOption(key, value);
}

ScopedGdalConfigOption::~ScopedGdalConfigOption() {
    CPLSetThreadLocalConfigOption(m_key.c_str(), m_previous ? m_previous->c_str() : nullptr);
}

}  // namespace mapcontrol

#include "mapcontrol/gdal_errors.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace mapcontrol {

void registerGdal()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

ScopedGdalErrors::ScopedGdalErrors()
{
    CPLPushErrorHandlerEx(
        [](CPLErr errorClass, CPLErrorNum number, const char* message) {
            handle(static_cast<int>(errorClass), number, message);
        },
        this);
}

ScopedGdalErrors::~ScopedGdalErrors() { CPLPopErrorHandler(); }

void ScopedGdalErrors::handle(int errorClass, int, const char* message)
{
    auto* self = static_cast<ScopedGdalErrors*>(CPLGetErrorHandlerUserData());
    if (!self || errorClass < CE_Warning) {
        return;
    }
    self->m_messages.append(QString::fromUtf8(message ? message : ""));
    if (errorClass >= CE_Failure) {
        ++self->m_failures;
    }
}

}  // namespace mapcontrol

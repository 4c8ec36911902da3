#include "GeneralErrorHandler.h"

#include "Error.h"

namespace quorvane {

void reportUncaught(Platform& platform, std::exception_ptr error)
{
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        message = e.message();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
        message = QStringLiteral("发生了未知错误。");
    }
    try {
        platform.generalError(message);
    } catch (...) {
        // The box itself failed; there is nowhere left to report to.
    }
}

} // namespace quorvane

#include "GuardedApplication.h"

#include "GeneralErrorHandler.h"

namespace quorvane {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!m_platform)
            throw;
        reportUncaught(*m_platform, std::current_exception());
        return true;
    }
}

} // namespace quorvane

#pragma once

#include <QApplication>

namespace quorvane {

class Platform;

// The application object. Its event dispatch is the last line of the general
// error handler: an error that escapes an event handler is shown in the
// general error box instead of ending the program.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    void setPlatform(Platform* platform) { m_platform = platform; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Platform* m_platform = nullptr;
};

} // namespace quorvane

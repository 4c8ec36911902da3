#pragma once

#include <memory>

class QPrinter;
class QWidget;

namespace quorvane {

class Platform;

// A window's print dialog. Its printer keeps the choices made the time
// before (printer or PDF file, copies, paper), which the dialog offers again.
class PrintDialog {
public:
    PrintDialog();
    ~PrintDialog();

    // False when the learner cancelled.
    bool execute(Platform& platform, QWidget* owner);
    QPrinter& printer() { return *m_printer; }

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace quorvane

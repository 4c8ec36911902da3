#include "PrintDialog.h"

#include "platform/Platform.h"

#include <QPrinter>

namespace quorvane {

PrintDialog::PrintDialog() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

PrintDialog::~PrintDialog() = default;

bool PrintDialog::execute(Platform& platform, QWidget* owner)
{
    return platform.setupPrinter(owner, *m_printer);
}

} // namespace quorvane

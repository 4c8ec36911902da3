#include "SaveDialog.h"

#include "platform/Platform.h"

namespace quorvane {

std::optional<QString> SaveDialog::execute(Platform& platform, QWidget* owner)
{
    std::optional<QString> chosen = platform.saveFileName(owner, m_fileName, kFilter);
    if (chosen)
        m_fileName = *chosen;
    return chosen;
}

} // namespace quorvane

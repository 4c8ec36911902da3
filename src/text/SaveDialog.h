#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace quorvane {

class Platform;

// The main window's save dialog, shared with the full-screen text window:
// text files only, no default extension, no question before a file is
// replaced, and it opens on the name chosen the time before.
class SaveDialog {
public:
    static inline const QString kFilter = QStringLiteral("文本文件|*.TXT");

    // The name exactly as typed or picked; empty when the learner cancelled.
    std::optional<QString> execute(Platform& platform, QWidget* owner);
    const QString& fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

} // namespace quorvane

#pragma once

#include "platform/QtPlatform.h"

namespace quorvane::soak {

class SoakLog;

// The desktop platform with every modal box answered at once, since no one
// sits at the soak's screen. Each box is logged; a box the driver did not
// ask for fails the run, and nothing leaves the process (no page opened, no
// program started). Sound and the lesson folder are the real ones.
class SoakPlatform : public QtPlatform {
public:
    explicit SoakPlatform(SoakLog& log) : m_log(log) {}

    // The next save dialog is answered with this name (once).
    void expectSave(const QString& path) { m_expectedSave = path; }
    // From now on the question before quitting is answered Yes.
    void expectQuit() { m_quitExpected = true; }
    int boxes() const { return m_boxes; }
    bool endRequested() const { return m_endRequested; }

    bool question(QWidget* owner, const QString& text, const QString& caption) override;
    void notice(QWidget* owner, const QString& text, const QString& caption) override;
    void errorBox(QWidget* owner, const QString& text, const QString& caption) override;
    void generalError(const QString& message) override;
    std::optional<QString> saveFileName(QWidget* owner, const QString& initialName,
                                        const QString& filter) override;
    bool setupPrinter(QWidget* owner, QPrinter& printer) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    void openAddress(const QString& address) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    void endProgram(int exitCode) override;

private:
    void unexpected(const QString& what);

    SoakLog& m_log;
    QString m_expectedSave;
    bool m_quitExpected = false;
    bool m_endRequested = false;
    int m_boxes = 0;
};

} // namespace quorvane::soak

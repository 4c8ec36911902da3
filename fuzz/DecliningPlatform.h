#pragma once

#include "platform/Platform.h"

#include <QPrinter>

namespace quorvane::fuzz {

// The surroundings of a learner who answers No and cancels every box, so
// that fuzzed handling never waits on a dialog or reaches the desktop.
class DecliningPlatform : public Platform {
public:
    bool question(QWidget*, const QString&, const QString&) override { return false; }
    void notice(QWidget*, const QString&, const QString&) override {}
    void errorBox(QWidget*, const QString&, const QString&) override {}
    void generalError(const QString&) override {}
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    bool setupPrinter(QWidget*, QPrinter&) override { return false; }
    std::optional<FontChoice> chooseFont(QWidget*, const FontChoice&) override
    {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    void openAddress(const QString&) override {}
    bool startProgram(const QString&, const QStringList&) override { return false; }
    void endProgram(int) override {}
    std::unique_ptr<AudioOutput> createAudioOutput(const AudioFormat&) override { return nullptr; }
    QString windowsDirectory() const override { return {}; }
};

} // namespace quorvane::fuzz

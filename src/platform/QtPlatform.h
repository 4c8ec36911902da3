#pragma once

#include "Platform.h"

namespace quorvane {

// The platform as a Qt desktop program offers it.
class QtPlatform : public Platform {
public:
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

    std::unique_ptr<AudioOutput> createAudioOutput(const AudioFormat& format) override;

    QString windowsDirectory() const override;
};

// "文本文件|*.TXT" (description and pattern pairs, as Windows writes them)
// in the form Qt's file dialogs take: "文本文件 (*.TXT)".
QString qtFileFilter(const QString& windowsFilter);

} // namespace quorvane

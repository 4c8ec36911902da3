#pragma once

#include "AudioOutput.h"
#include "FontChoice.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace quorvane {

// Everything the program asks of its surroundings: message boxes, common
// dialogs, the shell, other programs, the end of the process, sound and the
// folder that stands in for the Windows directory. Windows receive one
// Platform and never reach for these services themselves, so tests can script
// every answer and see every call.
class Platform {
public:
    virtual ~Platform() = default;

    // A Yes/No box with the information icon; true only when Yes was chosen.
    virtual bool question(QWidget* owner, const QString& text, const QString& caption) = 0;
    virtual void notice(QWidget* owner, const QString& text, const QString& caption) = 0;
    virtual void errorBox(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The box of the general error handler: the message of an error that no
    // handler caught.
    virtual void generalError(const QString& message) = 0;

    // Common dialogs; an empty optional (or false) means the learner cancelled.
    virtual std::optional<QString> saveFileName(QWidget* owner, const QString& initialName,
                                                const QString& filter) = 0;
    virtual bool setupPrinter(QWidget* owner, QPrinter& printer) = 0;
    // The font dialog offers the text colour with the font.
    virtual std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) = 0;

    // Hands an address (web page, mail) to the desktop; the result is never examined.
    virtual void openAddress(const QString& address) = 0;
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Ends the process at once with the given exit code.
    virtual void endProgram(int exitCode) = 0;

    // A PCM output, or null where no sound device can be had.
    virtual std::unique_ptr<AudioOutput> createAudioOutput(const AudioFormat& format) = 0;

    // The folder holding fyf/ and wyf/, without a trailing separator.
    virtual QString windowsDirectory() const = 0;
};

} // namespace quorvane

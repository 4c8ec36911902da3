#pragma once

#include "RecordingAudioOutput.h"
#include "platform/Platform.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

namespace quorvane::testing {

// A platform whose answers a test queues in advance and whose every call is
// recorded in order, as "kind: detail" lines.
class ScriptedPlatform : public Platform {
public:
    // Answers to the next questions; an unanswered question fails the test
    // run loudly rather than guessing.
    void queueAnswer(bool yes) { m_answers.push_back(yes); }
    void queueSaveName(std::optional<QString> name) { m_saveNames.push_back(std::move(name)); }
    void queuePrinterAccepted(bool accepted) { m_printerAnswers.push_back(accepted); }
    void queueFont(std::optional<FontChoice> font) { m_fonts.push_back(std::move(font)); }
    void queueColor(std::optional<QColor> colour) { m_colours.push_back(std::move(colour)); }
    void setStartProgramResult(bool started) { m_startResult = started; }
    void setWindowsDirectory(const QString& directory) { m_windowsDirectory = directory; }
    // Without a sound device (the default) no audio output can be made; with
    // one, every output made records into audio().
    void setAudioAvailable(bool available) { m_audioAvailable = available; }
    const std::shared_ptr<AudioRecord>& audio() const { return m_audio; }
    // Called with the printer when the print dialog is accepted, so a test
    // can send the job to a PDF file.
    std::function<void(QPrinter&)> onPrinterAccepted;
    // Runs while a question box is "open", to see that the program goes on.
    std::function<void()> whileQuestionOpen;

    const QStringList& calls() const { return m_calls; }
    QStringList callsOfKind(const QString& kind) const;
    void clearCalls() { m_calls.clear(); }
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }
    int exitCode() const { return m_exitCode; }

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
    QString windowsDirectory() const override { return m_windowsDirectory; }

private:
    template <typename T> static T takeNext(std::deque<T>& queue, const char* what);

    QStringList m_calls;
    std::deque<bool> m_answers;
    std::deque<std::optional<QString>> m_saveNames;
    std::deque<bool> m_printerAnswers;
    std::deque<std::optional<FontChoice>> m_fonts;
    std::deque<std::optional<QColor>> m_colours;
    bool m_startResult = true;
    int m_exitCode = -1;
    QString m_windowsDirectory;
    bool m_audioAvailable = false;
    std::shared_ptr<AudioRecord> m_audio = std::make_shared<AudioRecord>();
};

} // namespace quorvane::testing

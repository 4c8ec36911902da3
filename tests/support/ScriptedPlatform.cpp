#include "ScriptedPlatform.h"

#include <QtTest>

namespace quorvane::testing {

template <typename T> T ScriptedPlatform::takeNext(std::deque<T>& queue, const char* what)
{
    if (queue.empty())
        qFatal("ScriptedPlatform: no scripted answer for %s", what);
    T next = std::move(queue.front());
    queue.pop_front();
    return next;
}

QStringList ScriptedPlatform::callsOfKind(const QString& kind) const
{
    QStringList result;
    const QString prefix = kind + QStringLiteral(": ");
    for (const QString& call : m_calls) {
        if (call.startsWith(prefix))
            result << call.mid(prefix.size());
    }
    return result;
}

bool ScriptedPlatform::question(QWidget*, const QString& text, const QString& caption)
{
    m_calls << QStringLiteral("question: %1 | %2").arg(caption, text);
    if (whileQuestionOpen)
        whileQuestionOpen();
    return takeNext(m_answers, "a question");
}

void ScriptedPlatform::notice(QWidget*, const QString& text, const QString& caption)
{
    m_calls << QStringLiteral("notice: %1 | %2").arg(caption, text);
}

void ScriptedPlatform::errorBox(QWidget*, const QString& text, const QString& caption)
{
    m_calls << QStringLiteral("error: %1 | %2").arg(caption, text);
}

void ScriptedPlatform::generalError(const QString& message)
{
    m_calls << QStringLiteral("general-error: %1").arg(message);
}

std::optional<QString> ScriptedPlatform::saveFileName(QWidget*, const QString& initialName,
                                                      const QString& filter)
{
    m_calls << QStringLiteral("save-dialog: %1 | %2").arg(initialName, filter);
    return takeNext(m_saveNames, "a save dialog");
}

bool ScriptedPlatform::setupPrinter(QWidget*, QPrinter& printer)
{
    m_calls << QStringLiteral("print-dialog: ");
    const bool accepted = takeNext(m_printerAnswers, "a print dialog");
    if (accepted && onPrinterAccepted)
        onPrinterAccepted(printer);
    return accepted;
}

std::optional<FontChoice> ScriptedPlatform::chooseFont(QWidget*, const FontChoice& initial)
{
    m_calls << QStringLiteral("font-dialog: %1 %2 %3")
                   .arg(initial.font.family())
                   .arg(initial.font.pointSizeF())
                   .arg(initial.colour.name());
    return takeNext(m_fonts, "a font dialog");
}

std::optional<QColor> ScriptedPlatform::chooseColor(QWidget*, const QColor& initial)
{
    m_calls << QStringLiteral("color-dialog: %1").arg(initial.name());
    return takeNext(m_colours, "a colour dialog");
}

void ScriptedPlatform::openAddress(const QString& address)
{
    m_calls << QStringLiteral("open: %1").arg(address);
}

bool ScriptedPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    m_calls << QStringLiteral("start: %1 %2").arg(program, arguments.join(u' ')).trimmed();
    return m_startResult;
}

void ScriptedPlatform::endProgram(int exitCode)
{
    m_calls << QStringLiteral("end: %1").arg(exitCode);
    m_exitCode = exitCode;
}

std::unique_ptr<AudioOutput> ScriptedPlatform::createAudioOutput(const AudioFormat& format)
{
    m_calls << QStringLiteral("audio: %1 Hz x %2").arg(format.sampleRate).arg(format.channels);
    if (!m_audioAvailable)
        return nullptr;
    return std::make_unique<RecordingAudioOutput>(m_audio, format.channels);
}

} // namespace quorvane::testing

#include "SoakPlatform.h"

#include "SoakLog.h"

#include <QColor>
#include <QCoreApplication>

namespace quorvane::soak {

namespace {

QString oneLine(QString text)
{
    text.replace(u'\n', u' ');
    return text.left(160);
}

} // namespace

void SoakPlatform::unexpected(const QString& what)
{
    ++m_boxes;
    m_log.fail(QStringLiteral("unexpected box: ") + what);
}

bool SoakPlatform::question(QWidget*, const QString& text, const QString& caption)
{
    if (m_quitExpected) {
        ++m_boxes;
        m_log.note(QStringLiteral("box: question \"%1\": %2 -> Yes").arg(caption, oneLine(text)));
        return true;
    }
    unexpected(QStringLiteral("question \"%1\": %2 -> No").arg(caption, oneLine(text)));
    return false;
}

void SoakPlatform::notice(QWidget*, const QString& text, const QString& caption)
{
    unexpected(QStringLiteral("notice \"%1\": %2").arg(caption, oneLine(text)));
}

void SoakPlatform::errorBox(QWidget*, const QString& text, const QString& caption)
{
    unexpected(QStringLiteral("error \"%1\": %2").arg(caption, oneLine(text)));
}

void SoakPlatform::generalError(const QString& message)
{
    unexpected(QStringLiteral("general error: ") + oneLine(message));
}

std::optional<QString> SoakPlatform::saveFileName(QWidget*, const QString& initialName,
                                                  const QString& filter)
{
    if (m_expectedSave.isEmpty()) {
        unexpected(QStringLiteral("save dialog (%1, %2) -> cancelled").arg(initialName, filter));
        return std::nullopt;
    }
    ++m_boxes;
    const QString name = std::exchange(m_expectedSave, QString());
    m_log.note(QStringLiteral("box: save dialog -> %1").arg(name));
    return name;
}

bool SoakPlatform::setupPrinter(QWidget*, QPrinter&)
{
    unexpected(QStringLiteral("print dialog -> cancelled"));
    return false;
}

std::optional<FontChoice> SoakPlatform::chooseFont(QWidget*, const FontChoice&)
{
    unexpected(QStringLiteral("font dialog -> cancelled"));
    return std::nullopt;
}

std::optional<QColor> SoakPlatform::chooseColor(QWidget*, const QColor&)
{
    unexpected(QStringLiteral("colour dialog -> cancelled"));
    return std::nullopt;
}

void SoakPlatform::openAddress(const QString& address)
{
    m_log.fail(QStringLiteral("unexpected address opened: ") + address);
}

bool SoakPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    m_log.fail(
        QStringLiteral("unexpected program started: %1 %2").arg(program, arguments.join(u' ')));
    return false;
}

void SoakPlatform::endProgram(int exitCode)
{
    m_endRequested = true;
    if (!m_quitExpected)
        m_log.fail(QStringLiteral("the program ended itself (code %1)").arg(exitCode));
    else
        m_log.note(QStringLiteral("the program ends (code %1)").arg(exitCode));
    QCoreApplication::exit(exitCode);
}

} // namespace quorvane::soak

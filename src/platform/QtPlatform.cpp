#include "QtPlatform.h"

#include "FontColourDialog.h"
#include "QtAudioOutput.h"
#include "WindowsDirectory.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QUrl>

namespace quorvane {

bool QtPlatform::question(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    return box.exec() == QMessageBox::Yes;
}

void QtPlatform::notice(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void QtPlatform::errorBox(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void QtPlatform::generalError(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quorvane"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

std::optional<QString> QtPlatform::saveFileName(QWidget* owner, const QString& initialName,
                                                const QString& filter)
{
    const QString chosen =
        QFileDialog::getSaveFileName(owner, QString(), initialName, qtFileFilter(filter), nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

bool QtPlatform::setupPrinter(QWidget* owner, QPrinter& printer)
{
    QPrintDialog dialog(&printer, owner);
    // Printing always takes the whole text, so no page range or selection
    // is offered; a learner without a printer prints to a PDF file.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<FontChoice> QtPlatform::chooseFont(QWidget* owner, const FontChoice& initial)
{
    // The dialog lists installed families only; a requested family that is
    // substituted (Arial by Liberation Sans) is shown as the one drawing it.
    const QFontInfo drawn(initial.font);
    FontChoice shown(initial);
    shown.font.setFamily(drawn.family());
    shown.font.setStyleName(drawn.styleName());
    FontColourDialog dialog(shown, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

std::optional<QColor> QtPlatform::chooseColor(QWidget* owner, const QColor& initial)
{
    const QColor colour = QColorDialog::getColor(initial, owner);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

void QtPlatform::openAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

bool QtPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void QtPlatform::endProgram(int exitCode)
{
    QCoreApplication::exit(exitCode);
}

std::unique_ptr<AudioOutput> QtPlatform::createAudioOutput(const AudioFormat& format)
{
    return QtAudioOutput::open(format);
}

QString QtPlatform::windowsDirectory() const
{
    return quorvane::windowsDirectory();
}

QString qtFileFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    return filters.join(QStringLiteral(";;"));
}

} // namespace quorvane

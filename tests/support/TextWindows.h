#pragma once

#include "RecordingVoice.h"
#include "ScriptedPlatform.h"
#include "animation/Tflashfrm.h"
#include "app/Tmainfrm.h"
#include "text/Twordfrm.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace quorvane::testing {

// The three windows as the program makes them, over a lesson folder whose
// first text lesson a test chooses; the main window is shown, reading goes
// to a recording voice and every print job to a PDF file at printPath.
struct TextWindows {
    explicit TextWindows(const QByteArray& firstLesson)
    {
        QDir().mkpath(dir.filePath("fyf"));
        QDir().mkpath(dir.filePath("wyf"));
        QFile list(dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
        writeLesson(1, firstLesson);
        platform.setWindowsDirectory(dir.path());
        window = std::make_unique<Tmainfrm>(platform, std::make_unique<RecordingVoice>(voiceLog));
        flash = std::make_unique<Tflashfrm>(platform);
        word = std::make_unique<Twordfrm>(platform);
        window->setFullScreenWindows(flash.get(), word.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        platform.clearCalls();
        platform.onPrinterAccepted = [this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printPath);
        };
    }
    ~TextWindows()
    {
        word.reset();
        flash.reset();
        window.reset();
    }

    void writeLesson(int number, const QByteArray& content)
    {
        QFile file(dir.filePath(QStringLiteral("wyf/%1.txt").arg(number)));
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    QString printPath = dir.filePath("printed.pdf");
    ScriptedPlatform platform;
    RecordingVoice::Log voiceLog;
    std::unique_ptr<Tmainfrm> window;
    std::unique_ptr<Tflashfrm> flash;
    std::unique_ptr<Twordfrm> word;
};

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

// The text of a PDF as pdftotext -layout reads it; pages end with form feeds.
inline QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace quorvane::testing

#include "Tmainfrm.h"
#include "animation/Tflashfrm.h"
#include "platform/GuardedApplication.h"
#include "platform/QtPlatform.h"
#include "text/Twordfrm.h"

#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    quorvane::GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    // Qt's own buttons and dialogs speak Chinese, as they do on a Chinese Windows.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    quorvane::QtPlatform platform;
    app.setPlatform(&platform);

    quorvane::Tmainfrm mainForm(platform);
    quorvane::Tflashfrm flashForm(platform);
    quorvane::Twordfrm wordForm(platform);
    mainForm.setFullScreenWindows(&flashForm, &wordForm);
    mainForm.show();
    const int exitCode = QApplication::exec();
    app.setPlatform(nullptr);
    return exitCode;
}

#include "platform/WindowsDirectory.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

class TestHelpPage : public QObject {
    Q_OBJECT

private slots:
    void installedPageComesFirst()
    {
        QTemporaryDir installed;
        QVERIFY(QDir(installed.path()).mkpath(QStringLiteral("help")));
        QFile page(installed.path() + QStringLiteral("/help/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        QCOMPARE(resolveHelpPage(installed.path() + u'/', "/build/course"), page.fileName());
    }

    // An installed data folder holding only lessons (copied there from
    // Windows, say) does not hide the build's page.
    void buildCoursePageOtherwise()
    {
        QTemporaryDir installed;
        QCOMPARE(resolveHelpPage(installed.path(), "/build/course/"),
                 QStringLiteral("/build/course/help/index.html"));
        QCOMPARE(resolveHelpPage({}, "/build/course"),
                 QStringLiteral("/build/course/help/index.html"));
    }

    void thisBuildHasItsPage() { QVERIFY2(QFileInfo(helpPage()).isFile(), qPrintable(helpPage())); }

    // The page answers what a learner without the full course asks: where the
    // lessons go, how the Windows folders are used, how to get the voice.
    void pageIsChineseUtf8AndCoversTheCourse()
    {
        QFile file(QStringLiteral(QUORVANE_HELP_SOURCE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString page = utf8(bytes);
        QVERIFY(!utf8.hasError());
        QVERIFY(page.contains(QStringLiteral("<html lang=\"zh-CN\">")));
        QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        for (const char* fact :
             {"15 章", "139 节动画课", "20 章", "<code>1.txt</code>", "<code>203.txt</code>",
              "list.txt", "QUORVANE_WINDIR", "/share/quorvane", "/course", "<code>fyf</code>",
              "<code>wyf</code>", "GBK", "sudo apt-get install espeak-ng espeak-ng-data"})
            QVERIFY2(page.contains(QString::fromUtf8(fact)), fact);
        QVERIFY(!page.contains(QStringLiteral("example.")));
    }
};

QTEST_GUILESS_MAIN(TestHelpPage)
#include "tst_helppage.moc"

#include "ScriptedPlatform.h"
#include "platform/Error.h"
#include "platform/GeneralErrorHandler.h"
#include "platform/GuardedApplication.h"

#include <QAction>
#include <QWidget>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

class ThrowingWidget : public QWidget {
protected:
    void keyPressEvent(QKeyEvent*) override { throw Error(QStringLiteral("按键失败")); }
};

} // namespace

class TestGeneralErrorHandler : public QObject {
    Q_OBJECT

private slots:
    void messagesOfEachKindReachTheBox()
    {
        ScriptedPlatform platform;
        runGuarded(platform, [] { throw Error(QStringLiteral("无法打开文件")); });
        runGuarded(platform, [] { throw std::out_of_range("List index out of bounds (1)"); });
        runGuarded(platform, [] { throw 42; });
        const QStringList shown = platform.callsOfKind("general-error");
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0], QStringLiteral("无法打开文件"));
        QCOMPARE(shown[1], QStringLiteral("List index out of bounds (1)"));
        QVERIFY(!shown[2].isEmpty());
    }

    void aHandlerThatSucceedsShowsNothing()
    {
        ScriptedPlatform platform;
        int runs = 0;
        runGuarded(platform, [&] { ++runs; });
        QCOMPARE(runs, 1);
        QVERIFY(platform.calls().isEmpty());
    }

    void guardedSlotsKeepTheProgramGoing()
    {
        ScriptedPlatform platform;
        QAction action;
        int after = 0;
        QObject::connect(&action, &QAction::triggered, &action,
                         guarded(platform, [](bool) { throw Error(QStringLiteral("坏了")); }));
        QObject::connect(&action, &QAction::triggered, &action, [&] { ++after; });
        action.trigger();
        action.trigger();
        QCOMPARE(platform.callsOfKind("general-error"),
                 QStringList({QStringLiteral("坏了"), QStringLiteral("坏了")}));
        QCOMPARE(after, 2);
    }

    void eventHandlerErrorsAreCaughtByTheApplication()
    {
        ScriptedPlatform platform;
        auto* app = static_cast<GuardedApplication*>(qApp);
        app->setPlatform(&platform);
        ThrowingWidget widget;
        QTest::keyClick(&widget, Qt::Key_A);
        QTest::keyClick(&widget, Qt::Key_B);
        app->setPlatform(nullptr);
        QCOMPARE(platform.callsOfKind("general-error"),
                 QStringList({QStringLiteral("按键失败"), QStringLiteral("按键失败")}));
    }
};

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    TestGeneralErrorHandler test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_generalerrorhandler.moc"

#include "platform/FontColourDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace quorvane;

class TestFontColourDialog : public QObject {
    Q_OBJECT

private slots:
    void startsFromTheGivenFontAndColour()
    {
        QFont font(QStringLiteral("DejaVu Serif"), 15);
        font.setItalic(true);
        FontColourDialog dialog({font, QColor(0, 0, 160)});
        const FontChoice choice = dialog.choice();
        QCOMPARE(choice.font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(choice.font.pointSizeF(), 15.0);
        QVERIFY(choice.font.italic());
        QCOMPARE(choice.colour, QColor(0, 0, 160));
        // One dialog, one pair of buttons: the embedded font dialog shows none.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QList<QDialogButtonBox*> boxes = dialog.findChildren<QDialogButtonBox*>();
        QCOMPARE(std::count_if(boxes.begin(), boxes.end(),
                               [](const QDialogButtonBox* box) { return box->isVisible(); }),
                 1);
    }

    void theColourButtonChangesTheColourOnly()
    {
        const QFont font(QStringLiteral("DejaVu Sans"), 12);
        FontColourDialog dialog({font, Qt::black});
        auto* colourButton = dialog.findChild<QPushButton*>(QStringLiteral("colourButton"));
        QVERIFY(colourButton);
        QCOMPARE(colourButton->accessibleName(), QStringLiteral("文字颜色"));
        // Answer the colour dialog that the button opens.
        QTimer::singleShot(0, &dialog, [] {
            auto* colours = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(colours);
            colours->setCurrentColor(QColor(10, 120, 30));
            colours->accept();
        });
        colourButton->click();
        QCOMPARE(dialog.choice().colour, QColor(10, 120, 30));
        QCOMPARE(dialog.choice().font.family(), QStringLiteral("DejaVu Sans"));
    }
};

QTEST_MAIN(TestFontColourDialog)
#include "tst_fontcolourdialog.moc"

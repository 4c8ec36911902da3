#include "SoakDriver.h"

#include "SoakLog.h"
#include "SoakPlatform.h"
#include "animation/SWF1.h"
#include "animation/Tflashfrm.h"
#include "app/LessonTreeView.h"
#include "app/Tmainfrm.h"
#include "text/LessonMemo.h"
#include "text/Twordfrm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSlider>
#include <QToolButton>

namespace quorvane::soak {

namespace {

// How often, in nodes, the less common commands come round.
constexpr int kFullScreenEvery = 7;
constexpr int kModeSwitchEvery = 11;
constexpr int kZoomEvery = 5;

} // namespace

SoakDriver::SoakDriver(Tmainfrm& main, Tflashfrm& flash, Twordfrm& word, SoakPlatform& platform,
                       SoakLog& log, SoakOptions options)
    : m_main(main), m_flash(flash), m_word(word), m_platform(platform), m_log(log),
      m_options(std::move(options)), m_rssFile(m_options.rssPath)
{
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &SoakDriver::runNext);
    m_minuteTimer.setInterval(60'000);
    connect(&m_minuteTimer, &QTimer::timeout, this, &SoakDriver::sample);
    // A box the platform did not see (one a widget opened itself) would
    // stall the run; it is reported and dismissed.
    m_modalSweep.setInterval(500);
    connect(&m_modalSweep, &QTimer::timeout, this, &SoakDriver::sweepModalWindows);
}

void SoakDriver::start()
{
    m_clock.start();
    if (!m_options.rssPath.isEmpty() &&
        m_rssFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        m_rssFile.write("minute,seconds,rss_kib,passes,nodes\n");
        m_rssFile.flush();
    }
    m_log.note(QStringLiteral("soak: %1 minutes, %2 movie nodes and %3 text nodes a pass")
                   .arg(m_options.minutes)
                   .arg(m_main.tv1->count())
                   .arg(m_main.TV2->count()));
    sample();
    m_minuteTimer.start();
    m_modalSweep.start();
    planPass();
    runNext();
}

void SoakDriver::then(int delayMs, const QString& what, std::function<void()> action)
{
    m_steps.push_back({delayMs, what, std::move(action)});
}

void SoakDriver::runNext()
{
    if (m_finishing)
        return;
    if (m_steps.empty()) {
        passEnded();
        if (m_finishing)
            return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    try {
        step.action();
    } catch (const std::exception& error) {
        m_log.fail(QStringLiteral("%1 threw: %2").arg(step.what, QString::fromUtf8(error.what())));
    } catch (...) {
        m_log.fail(step.what + QStringLiteral(" threw"));
    }
    m_stepTimer.start(m_steps.empty() ? 0 : m_steps.front().delayMs);
}

bool SoakDriver::timeIsUp() const
{
    return m_clock.elapsed() >= qint64(m_options.minutes) * 60'000;
}

void SoakDriver::check(bool condition, const QString& what)
{
    if (!condition)
        m_log.fail(QStringLiteral("check failed: ") + what);
}

void SoakDriver::select(LessonTreeView& tree, int node)
{
    // As a click does: through the view's selection model, by model index.
    QTreeWidgetItem* item = tree.item(node);
    QTreeWidgetItem* parentItem = item->parent();
    QModelIndex parentIndex;
    int row = tree.indexOfTopLevelItem(item);
    if (parentItem) {
        parentIndex = tree.model()->index(tree.indexOfTopLevelItem(parentItem), 0);
        row = parentItem->indexOfChild(item);
    }
    const QModelIndex index = tree.model()->index(row, 0, parentIndex);
    tree.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    check(tree.selectedIndex() == node, QStringLiteral("%1 node %2 selected (%3 is)")
                                            .arg(tree.objectName())
                                            .arg(node)
                                            .arg(tree.selectedIndex()));
}

void SoakDriver::pressKey(QWidget* target, int key)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

void SoakDriver::planPass()
{
    then(300, QStringLiteral("movie mode"), [this] {
        m_main.SBflash->click();
        check(m_main.inAnimationMode(), QStringLiteral("movie mode after the movie button"));
    });
    for (int node = 0; node < m_main.tv1->count(); ++node)
        planMovieNode(node);
    then(300, QStringLiteral("text mode"), [this] {
        m_main.Nword->trigger();
        check(m_main.inTextMode(), QStringLiteral("text mode after the text menu item"));
    });
    for (int node = 0; node < m_main.TV2->count(); ++node)
        planTextNode(node);
}

void SoakDriver::planMovieNode(int node)
{
    const int unit = m_options.nodeMs / 10;
    const QString name = QStringLiteral("movie node %1").arg(node);
    then(unit, name, [this, node] {
        if (timeIsUp()) {
            finish();
            return;
        }
        ++m_nodes;
        select(*m_main.tv1, node);
    });
    // Odd nodes use the menu, even ones the toolbar, as a learner might.
    const bool byMenu = node % 2 == 1;
    then(2 * unit, name + QStringLiteral(" key"), [this] {
        pressKey(m_main.SWF1, Qt::Key_Right);
        pressKey(m_main.SWF1, Qt::Key_Space);
    });
    then(unit, name + QStringLiteral(" pause"), [this, byMenu] {
        if (byMenu)
            m_main.Nfstop->trigger();
        else
            m_main.SBstop->click();
        check(m_main.PlaybackPaused(), QStringLiteral("paused after the pause command"));
    });
    then(2 * unit, name + QStringLiteral(" seek"), [this] {
        // A drag of the progress bar to the middle of the movie.
        m_main.TB1->setSliderPosition(m_main.TB1->maximum() / 2);
    });
    then(unit, name + QStringLiteral(" resume"), [this, byMenu] {
        if (byMenu)
            m_main.Nfplay->trigger();
        else
            m_main.Sbplay->click();
        check(!m_main.PlaybackPaused(), QStringLiteral("playing after the play command"));
    });
    if (node % kZoomEvery == 0) {
        then(unit, name + QStringLiteral(" zoom"), [this] {
            m_main.Nfbig->trigger();
            m_main.Nfbig->trigger();
            m_main.Nfsmall->trigger();
        });
        then(unit, name + QStringLiteral(" replay"), [this] { m_main.nfrplay->trigger(); });
    }
    if (node % kFullScreenEvery == 0) {
        then(unit, name + QStringLiteral(" full screen"), [this] {
            m_main.SBfull->click();
            if (!m_main.SWF1->Movie().isEmpty())
                check(m_flash.isVisible() && m_main.isHidden(),
                      QStringLiteral("the full-screen movie in place of the main window"));
        });
        then(3 * unit, name + QStringLiteral(" full screen key"),
             [this] { pressKey(m_flash.SWF1, Qt::Key_Right); });
        then(2 * unit, name + QStringLiteral(" leave full screen"), [this] {
            if (m_flash.isVisible())
                m_flash.close();
            check(m_main.isVisible() && !m_flash.isVisible(),
                  QStringLiteral("the main window back after full screen"));
        });
    }
    if (node % kModeSwitchEvery == 0) {
        then(unit, name + QStringLiteral(" to text"), [this] {
            m_main.SBword->click();
            check(m_main.inTextMode(), QStringLiteral("text mode after the text button"));
        });
        then(3 * unit, name + QStringLiteral(" back to movies"), [this] {
            m_main.Nflash->trigger();
            check(m_main.inAnimationMode(), QStringLiteral("movie mode after the movie menu item"));
        });
    }
    then(2 * unit, name + QStringLiteral(" done"), [] {});
}

void SoakDriver::planTextNode(int node)
{
    const int unit = m_options.nodeMs / 10;
    const QString name = QStringLiteral("text node %1").arg(node);
    then(unit, name, [this, node] {
        if (timeIsUp()) {
            finish();
            return;
        }
        ++m_nodes;
        select(*m_main.TV2, node);
    });
    const bool byMenu = node % 2 == 1;
    then(2 * unit, name + QStringLiteral(" read"), [this, byMenu] {
        if (byMenu)
            m_main.Nreadall->trigger();
        else
            m_main.SBread->click();
    });
    then(3 * unit, name + QStringLiteral(" pause reading"), [this] { m_main.Npausesp->trigger(); });
    then(unit, name + QStringLiteral(" resume reading"), [this] { m_main.Nplaysp->trigger(); });
    then(2 * unit, name + QStringLiteral(" stop reading"), [this, byMenu] {
        if (byMenu)
            m_main.Nstopsp->trigger();
        else
            m_main.SBprint->click();
    });
    if (m_passes == 0 && m_saved.isEmpty() && node == m_main.TV2->count() / 2)
        planSave();
    if (node % kFullScreenEvery == 3) {
        then(unit, name + QStringLiteral(" full screen"), [this] {
            m_main.Nwfull->trigger();
            check(m_word.isVisible() && m_main.isHidden(),
                  QStringLiteral("the full-screen text in place of the main window"));
        });
        then(3 * unit, name + QStringLiteral(" leave full screen"), [this] {
            if (m_word.isVisible())
                m_word.close();
            check(m_main.isVisible() && !m_word.isVisible(),
                  QStringLiteral("the main window back after full-screen text"));
        });
    }
    if (node % kModeSwitchEvery == 5) {
        then(unit, name + QStringLiteral(" to movies"), [this] {
            m_main.SBflash->click();
            check(m_main.inAnimationMode(), QStringLiteral("movie mode after the movie button"));
        });
        then(3 * unit, name + QStringLiteral(" back to text"), [this] {
            m_main.SBword->click();
            check(m_main.inTextMode(), QStringLiteral("text mode after the text button"));
        });
    }
    then(unit, name + QStringLiteral(" done"), [] {});
}

void SoakDriver::planSave()
{
    if (m_options.saveDir.isEmpty())
        return;
    // The menu's save appends .txt to a name without it.
    const QString asked = QDir(m_options.saveDir).filePath(QStringLiteral("soak-lesson"));
    const QString written = asked + QStringLiteral(".txt");
    m_saved << written;
    then(m_options.nodeMs / 10, QStringLiteral("save as"), [this, asked, written] {
        m_platform.expectSave(asked);
        m_main.Nwsave->trigger();
        QFile file(written);
        check(file.open(QIODevice::ReadOnly) && file.readAll() == m_main.Memo1->text(),
              QStringLiteral("the saved lesson %1 holds the pane's text").arg(written));
    });
}

void SoakDriver::passEnded()
{
    ++m_passes;
    const long kib = residentKib();
    m_log.note(
        QStringLiteral("pass %1 done: %2 nodes, RSS %3 KiB").arg(m_passes).arg(m_nodes).arg(kib));
    if (m_passes == 1)
        m_baselineKib = kib;
    if (timeIsUp()) {
        finish();
        return;
    }
    planPass();
}

void SoakDriver::sample()
{
    const long kib = residentKib();
    m_lastSampleMs = m_clock.elapsed();
    const RssSample taken{m_minute, kib};
    m_samples.push_back(taken);
    if (m_baselineKib > 0)
        m_laterSamples.push_back(taken);
    if (m_rssFile.isOpen()) {
        m_rssFile.write(QStringLiteral("%1,%2,%3,%4,%5\n")
                            .arg(m_minute)
                            .arg(m_clock.elapsed() / 1000)
                            .arg(kib)
                            .arg(m_passes)
                            .arg(m_nodes)
                            .toUtf8());
        m_rssFile.flush();
    }
    m_log.note(QStringLiteral("minute %1: RSS %2 KiB, %3 passes, %4 nodes")
                   .arg(m_minute)
                   .arg(kib)
                   .arg(m_passes)
                   .arg(m_nodes));
    ++m_minute;
    emit sampled();
}

void SoakDriver::sweepModalWindows()
{
    for (QWidget* box : {QApplication::activeModalWidget(), QApplication::activePopupWidget()}) {
        if (!box)
            continue;
        m_log.fail(
            QStringLiteral("a window the platform did not open: %1 \"%2\"")
                .arg(QString::fromLatin1(box->metaObject()->className()), box->windowTitle()));
        if (auto* dialog = qobject_cast<QDialog*>(box))
            dialog->reject();
        else
            box->close();
    }
}

void SoakDriver::finish()
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_steps.clear();
    m_stepTimer.stop();
    // The memory at the end, compared like the others, unless a minute's
    // sample has just been taken.
    m_minuteTimer.stop();
    if (m_clock.elapsed() - m_lastSampleMs > 30'000)
        sample();
    m_log.note(
        QStringLiteral("time is up: %1 passes, %2 nodes; quitting").arg(m_passes).arg(m_nodes));
    if (m_flash.isVisible())
        m_flash.close();
    if (m_word.isVisible())
        m_word.close();
    m_platform.expectQuit();
    m_main.SBexit->click();
    if (!m_platform.endRequested())
        m_log.fail(QStringLiteral("the exit button did not end the program"));
}

} // namespace quorvane::soak

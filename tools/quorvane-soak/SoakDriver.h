#pragma once

#include "SoakChecks.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace quorvane {
class LessonTreeView;
class Tflashfrm;
class Tmainfrm;
class Twordfrm;
} // namespace quorvane

namespace quorvane::soak {

class SoakLog;
class SoakPlatform;

struct SoakOptions {
    int minutes = 1;
    int nodeMs = 3000;
    QString rssPath;
    // Where the one save of a text lesson goes.
    QString saveDir;
};

// Drives the program as a learner would, through its controls and menus:
// every node of the movie tree (pausing, seeking, resuming, pressing keys,
// zooming, going full screen and back) and of the text tree (reading aloud,
// pausing and stopping the voice, full screen and back), switching modes on
// the way, pass after pass until the time is up; then it quits through the
// exit button. The resident memory is sampled once a minute.
class SoakDriver : public QObject {
    Q_OBJECT

public:
    SoakDriver(Tmainfrm& main, Tflashfrm& flash, Twordfrm& word, SoakPlatform& platform,
               SoakLog& log, SoakOptions options);

    void start();

    // True once the time was up and the driver asked the program to quit.
    bool finished() const { return m_finishing; }
    int passes() const { return m_passes; }
    int nodes() const { return m_nodes; }
    // The resident memory when the first pass ended; 0 until then.
    long baselineKib() const { return m_baselineKib; }
    // The minutes sampled after the first pass ended, the ones compared.
    const std::vector<RssSample>& laterSamples() const { return m_laterSamples; }
    const std::vector<RssSample>& allSamples() const { return m_samples; }
    const QStringList& savedFiles() const { return m_saved; }

signals:
    // Once a minute, after the sample is taken: the GUI thread is alive.
    void sampled();

private:
    struct Step {
        int delayMs;
        QString what;
        std::function<void()> action;
    };

    void then(int delayMs, const QString& what, std::function<void()> action);
    void runNext();
    void planPass();
    void planMovieNode(int node);
    void planTextNode(int node);
    void planSave();
    void passEnded();
    void finish();
    void sample();
    void sweepModalWindows();
    bool timeIsUp() const;
    void check(bool condition, const QString& what);
    void select(LessonTreeView& tree, int node);
    void pressKey(QWidget* target, int key);

    Tmainfrm& m_main;
    Tflashfrm& m_flash;
    Twordfrm& m_word;
    SoakPlatform& m_platform;
    SoakLog& m_log;
    const SoakOptions m_options;

    std::deque<Step> m_steps;
    QTimer m_stepTimer;
    QTimer m_minuteTimer;
    QTimer m_modalSweep;
    QElapsedTimer m_clock;
    QFile m_rssFile;
    int m_passes = 0;
    int m_nodes = 0;
    int m_minute = 0;
    qint64 m_lastSampleMs = 0;
    bool m_finishing = false;
    long m_baselineKib = 0;
    std::vector<RssSample> m_samples;
    std::vector<RssSample> m_laterSamples;
    QStringList m_saved;
};

} // namespace quorvane::soak

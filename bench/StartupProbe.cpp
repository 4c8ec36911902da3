// The program as it starts for a learner, reporting on standard output the
// moment the first frame of the first movie is painted, then leaving.
#include "animation/SWF1.h"
#include "animation/Tflashfrm.h"
#include "app/Tmainfrm.h"
#include "platform/GuardedApplication.h"
#include "platform/QtPlatform.h"
#include "text/Twordfrm.h"

#include <QEvent>
#include <QTimer>
#include <cstdio>

namespace {

class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(quorvane::SWF1* player) : m_player(player) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_player && event->type() == QEvent::Paint && m_player->TotalFrames() > 0) {
            // After this paint has been delivered.
            QTimer::singleShot(0, [] {
                std::puts("painted");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
            m_player->removeEventFilter(this);
        }
        return false;
    }

private:
    quorvane::SWF1* m_player;
};

} // namespace

int main(int argc, char** argv)
{
    quorvane::GuardedApplication app(argc, argv);
    quorvane::QtPlatform platform;
    app.setPlatform(&platform);
    quorvane::Tmainfrm mainForm(platform);
    quorvane::Tflashfrm flashForm(platform);
    quorvane::Twordfrm wordForm(platform);
    mainForm.setFullScreenWindows(&flashForm, &wordForm);
    FirstFrameWatch watch(mainForm.SWF1);
    mainForm.SWF1->installEventFilter(&watch);
    mainForm.show();
    const int code = QApplication::exec();
    app.setPlatform(nullptr);
    return code;
}

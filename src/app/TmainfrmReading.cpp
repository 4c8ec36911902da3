#include "StatusBar.h"
#include "Tmainfrm.h"
#include "platform/Gbk.h"
#include "platform/GeneralErrorHandler.h"
#include "platform/Platform.h"
#include "speech/SpeechText.h"
#include "speech/SpeechVoice.h"
#include "text/LessonMemo.h"

#include <QSlider>
#include <QToolButton>

namespace quorvane {

namespace {

const QString kVoicePackageNotice = QStringLiteral(
    "无法启动中文语音库的安装程序。\n\n"
    "本软件的中文语音由 espeak-ng 朗读，中文语音数据在 Debian 软件包 espeak-ng-data 中。"
    "请在终端中运行以下命令安装：\n\n"
    "sudo apt-get install espeak-ng espeak-ng-data");

// Starts the system's installer of the Chinese voice data; false when there
// is none or it could not be started.
bool startVoiceInstaller(Platform& platform)
{
#if defined(Q_OS_WIN)
    return platform.startProgram(platform.windowsDirectory() + QStringLiteral("/ctts.exe"), {});
#elif defined(Q_OS_LINUX)
    // The Mandarin voice comes with espeak-ng-data; reinstalling it also
    // repairs damaged voice files. pkexec asks for the administrator's
    // password in a window, so no terminal is needed.
    return platform.startProgram(
        QStringLiteral("pkexec"),
        {"apt-get", "install", "-y", "--reinstall", "espeak-ng", "espeak-ng-data"});
#else
    Q_UNUSED(platform);
    return false;
#endif
}

} // namespace

template <typename Command> void Tmainfrm::ignoringVoiceFailures(Command command)
{
    try {
        command();
    } catch (const SpeechError&) {
        // The voice is missing or refused the call: the command has no effect.
    }
}

void Tmainfrm::connectReadingHandlers()
{
    onClicked(SBread, &Tmainfrm::SBreadClick);
    onClicked(SBprint, &Tmainfrm::NstopspClick);
    onTriggered(Nreadall, &Tmainfrm::NreadallClick);
    onTriggered(Nreadselect, &Tmainfrm::NreadselectClick);
    onTriggered(Npausesp, &Tmainfrm::NpausespClick);
    onTriggered(Nplaysp, &Tmainfrm::NplayspClick);
    onTriggered(Nstopsp, &Tmainfrm::NstopspClick);
    onTriggered(Nchsread, &Tmainfrm::NchsreadClick);
    onTriggered(N48, &Tmainfrm::N48Click);
    onTriggered(N49, &Tmainfrm::N49Click);
    onTriggered(N47, &Tmainfrm::N47Click);
    onTriggered(N60, &Tmainfrm::N60Click);
    onTriggered(N51, &Tmainfrm::N51Click);
    onTriggered(N18, &Tmainfrm::N18Click);
    onTriggered(N52, &Tmainfrm::N52Click);
    onTriggered(N61, &Tmainfrm::N61Click);
    onTriggered(N7, &Tmainfrm::N7Click);
    connect(TB2, &QSlider::valueChanged, this, guarded(m_platform, [this](int) { TB2Change(); }));
}

void Tmainfrm::SBreadClick()
{
    if (!inTextMode())
        return;
    const QByteArray text = Memo1->text();
    if (text.isEmpty() || !Nchsread->isChecked())
        return;
    try {
        SpVoice1->Speak(PrepareSpeechText(text, nreadchr->isChecked()), SpeechVoice::SVSFlagsAsync);
    } catch (const SpeechError&) {
        m_platform.notice(this, QStringLiteral("您的电脑还未安装中文语音库"),
                          QStringLiteral("错误"));
    }
}

void Tmainfrm::NreadallClick()
{
    SBread->click();
}

void Tmainfrm::NreadselectClick()
{
    if (!inTextMode())
        return;
    Nstopsp->trigger();
    const QByteArray selection = Memo1->selectedText();
    if (selection.isEmpty() || !Nchsread->isChecked())
        return;
    ignoringVoiceFailures([&] {
        SpVoice1->Speak(PrepareSpeechText(selection, nreadchr->isChecked()),
                        SpeechVoice::SVSFlagsAsync);
    });
}

void Tmainfrm::NstopspClick()
{
    ignoringVoiceFailures([this] { SpVoice1->Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak); });
}

void Tmainfrm::NpausespClick()
{
    ignoringVoiceFailures([this] { SpVoice1->Pause(); });
}

void Tmainfrm::NplayspClick()
{
    ignoringVoiceFailures([this] { SpVoice1->Resume(); });
}

void Tmainfrm::NchsreadClick()
{
    // The one reading voice stays ticked.
    Nchsread->setChecked(true);
    Sbar1->setPanelText(2, gbk::fromUnicode(QStringLiteral("发音方式：中文")));
}

void Tmainfrm::N48Click()
{
    ignoringVoiceFailures([this] {
        const int volume = SpVoice1->Volume();
        if (volume > 0)
            SpVoice1->setVolume(volume - 10);
    });
}

void Tmainfrm::N49Click()
{
    ignoringVoiceFailures([this] {
        const int volume = SpVoice1->Volume();
        if (volume != 100)
            SpVoice1->setVolume(volume + 10);
    });
}

void Tmainfrm::N47Click()
{
    ignoringVoiceFailures([this] { SpVoice1->setVolume(100); });
}

void Tmainfrm::N60Click()
{
    ignoringVoiceFailures([this] {
        SpVoice1->setRate(-10);
        TB2->setValue(-10);
    });
}

void Tmainfrm::N51Click()
{
    ignoringVoiceFailures([this] {
        const int rate = SpVoice1->Rate();
        if (rate <= -10)
            return;
        SpVoice1->setRate(rate - 1);
        TB2->setValue(SpVoice1->Rate());
    });
}

void Tmainfrm::N18Click()
{
    ignoringVoiceFailures([this] {
        SpVoice1->setRate(0);
        TB2->setValue(SpVoice1->Rate());
    });
}

void Tmainfrm::N52Click()
{
    ignoringVoiceFailures([this] {
        const int rate = SpVoice1->Rate();
        if (rate >= 10)
            return;
        SpVoice1->setRate(rate + 1);
        TB2->setValue(SpVoice1->Rate());
    });
}

void Tmainfrm::N61Click()
{
    ignoringVoiceFailures([this] {
        SpVoice1->setRate(10);
        TB2->setValue(10);
    });
}

void Tmainfrm::TB2Change()
{
    ignoringVoiceFailures([this] { SpVoice1->setRate(TB2->value()); });
    TB2->setToolTip(QStringLiteral("速度:") + QString::number(TB2->value()));
}

void Tmainfrm::N7Click()
{
    const bool install = m_platform.question(
        this,
        QStringLiteral(
            "现在即将安装中文语音库到您的电脑！若软件不能正常朗读中文，您可以通过安装此语音库"
            "或修复此语音库的方法进行解决，现在就安装吗？"),
        QStringLiteral("Quorvane"));
    if (!install)
        return;
    if (!startVoiceInstaller(m_platform)) {
        // Ending now would pass a failure off as an installation under way.
        m_platform.notice(this, kVoicePackageNotice, QStringLiteral("Quorvane"));
        return;
    }
    NstopspClick();
    m_platform.endProgram(0);
}

} // namespace quorvane

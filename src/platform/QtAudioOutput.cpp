#include "QtAudioOutput.h"

#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

// The sound server's buffer: long enough to ride out a busy moment of the
// GUI thread, and a stop flushes it anyway.
constexpr int kBufferMilliseconds = 120;
constexpr int kFeedMilliseconds = 10;

} // namespace

std::unique_ptr<QtAudioOutput> QtAudioOutput::open(const AudioFormat& format)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat qtFormat;
    qtFormat.setSampleRate(format.sampleRate);
    qtFormat.setChannelCount(format.channels);
    qtFormat.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(qtFormat))
        return nullptr;
    auto sink = std::make_unique<QAudioSink>(device, qtFormat);
    sink->setBufferSize(qtFormat.bytesForDuration(kBufferMilliseconds * 1000));
    auto output = std::unique_ptr<QtAudioOutput>(new QtAudioOutput(format, std::move(sink)));
    if (output->m_sink->error() != QAudio::NoError)
        return nullptr;
    return output;
}

QtAudioOutput::QtAudioOutput(const AudioFormat& format, std::unique_ptr<QAudioSink> sink)
    : m_format(format), m_sink(std::move(sink))
{
    m_device = m_sink->start();
    m_feeder.setTimerType(Qt::PreciseTimer);
    m_feeder.setInterval(kFeedMilliseconds);
    QObject::connect(&m_feeder, &QTimer::timeout, [this] { feed(); });
    m_feeder.start();
}

void QtAudioOutput::feed()
{
    if (m_paused || !m_device)
        return;
    const qint64 room = m_sink->bytesFree();
    if (room <= 0)
        return;
    QByteArray chunk;
    {
        std::lock_guard lock(m_mutex);
        const qint64 taken = std::min<qint64>(room, m_queued.size()) & ~qint64(1);
        if (taken == 0)
            return;
        chunk = m_queued.left(taken);
        m_queued.remove(0, taken);
    }
    m_device->write(chunk);
}

QtAudioOutput::~QtAudioOutput()
{
    // A live PulseAudio stream torn down with the application can trip a
    // libpulse assertion; stopping first closes it cleanly.
    m_sink->stop();
}

void QtAudioOutput::write(std::span<const std::int16_t> samples)
{
    std::lock_guard lock(m_mutex);
    m_queued.append(reinterpret_cast<const char*>(samples.data()),
                    static_cast<qsizetype>(samples.size_bytes()));
}

void QtAudioOutput::pause()
{
    m_paused = true;
    m_sink->suspend();
}

void QtAudioOutput::resume()
{
    m_paused = false;
    m_sink->resume();
}

void QtAudioOutput::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_queued.clear();
    }
    // Restarting the stream drops what the sound server still holds, so the
    // silence is heard at once rather than after its buffer has drained.
    m_sink->stop();
    m_device = m_sink->start();
    if (m_paused)
        m_sink->suspend();
}

std::int64_t QtAudioOutput::pendingFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_queued.size() / (2 * m_format.channels);
}

} // namespace quorvane

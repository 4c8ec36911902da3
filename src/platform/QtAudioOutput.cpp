#include "QtAudioOutput.h"

#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace quorvane {

namespace {

// Short enough that a stop is heard within a few tens of milliseconds.
constexpr int kBufferMilliseconds = 40;

} // namespace

void PcmQueue::append(std::span<const std::int16_t> samples)
{
    std::lock_guard lock(m_mutex);
    if (m_readPosition > 0 && m_readPosition == m_bytes.size()) {
        m_bytes.clear();
        m_readPosition = 0;
    }
    m_bytes.append(reinterpret_cast<const char*>(samples.data()),
                   static_cast<qsizetype>(samples.size_bytes()));
}

void PcmQueue::clear()
{
    std::lock_guard lock(m_mutex);
    m_bytes.clear();
    m_readPosition = 0;
}

qint64 PcmQueue::queuedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes.size() - m_readPosition;
}

qint64 PcmQueue::bytesAvailable() const
{
    // Silence is always available.
    return std::numeric_limits<int>::max();
}

qint64 PcmQueue::readData(char* data, qint64 maxSize)
{
    std::lock_guard lock(m_mutex);
    maxSize &= ~qint64(1);
    const qint64 queued = m_bytes.size() - m_readPosition;
    const qint64 taken = std::min(queued, maxSize);
    std::memcpy(data, m_bytes.constData() + m_readPosition, static_cast<size_t>(taken));
    m_readPosition += taken;
    if (m_readPosition == m_bytes.size()) {
        m_bytes.clear();
        m_readPosition = 0;
    }
    std::memset(data + taken, 0, static_cast<size_t>(maxSize - taken));
    return maxSize;
}

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
    m_queue.open(QIODevice::ReadOnly);
    m_sink->start(&m_queue);
}

QtAudioOutput::~QtAudioOutput()
{
    // A live PulseAudio stream torn down with the application can trip a
    // libpulse assertion; stopping first closes it cleanly.
    m_sink->stop();
}

void QtAudioOutput::write(std::span<const std::int16_t> samples)
{
    m_queue.append(samples);
}

void QtAudioOutput::pause()
{
    m_sink->suspend();
}

void QtAudioOutput::resume()
{
    m_sink->resume();
}

void QtAudioOutput::stop()
{
    m_queue.clear();
}

std::int64_t QtAudioOutput::pendingFrames() const
{
    return m_queue.queuedBytes() / (2 * m_format.channels);
}

} // namespace quorvane

#include "TestMovies.h"

#include "SwfFixtures.h"

#include <QFile>

namespace quorvane::testing {

void writeTestMovie(const QString& path, int frames, double frameRate)
{
    writeMovie(path, fixtures::bytes(fixtures::animatedMovie(frames, frameRate)));
}

void writeMovie(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the test movie %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

} // namespace quorvane::testing

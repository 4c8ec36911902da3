#include "TestMovies.h"

#include "SwfFixtures.h"

#include <QFile>

namespace quorvane::testing {

void writeTestMovie(const QString& path, int frames, double frameRate)
{
    const std::vector<std::uint8_t> data =
        fixtures::bytes(fixtures::animatedMovie(frames, frameRate));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the test movie %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
}

} // namespace quorvane::testing

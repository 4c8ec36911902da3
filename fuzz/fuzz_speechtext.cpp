// libFuzzer entry: any bytes are GBK text to be read aloud, prepared with
// and without reading symbols and cut into language runs and speech pieces.
// Nothing may crash, leak or hang, and the cutting loses no character.

#include "speech/LanguageRuns.h"
#include "speech/SpeechText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace quorvane;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString joined(const std::vector<LanguageRun>& runs)
{
    QString all;
    for (const LanguageRun& run : runs)
        all += run.text;
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray gbk(reinterpret_cast<const char*>(data), qsizetype(size));
    check(ReplaceSpeechSymbols(gbk).size() <= gbk.size());
    for (bool readSymbols : {false, true}) {
        const QString input = PrepareSpeechText(gbk, readSymbols);
        check(input.startsWith(QLatin1String(kChineseLanguageTag)));
        const std::vector<LanguageRun> runs = splitLanguageRuns(input);
        const std::vector<LanguageRun> pieces = splitSpeechPieces(input);
        for (const LanguageRun& piece : pieces)
            check(!piece.text.isEmpty() && piece.text.size() <= kLongestSpeechPiece);
        check(joined(pieces) == joined(runs));
        check(joined(runs) == input.sliced(qsizetype(sizeof kChineseLanguageTag) - 1));
    }
    return 0;
}

// libFuzzer entry: any bytes are a text lesson file, put into the text pane
// as selecting the lesson does, then read back as the pane's lines, as the
// selection after Select All and as speech input. Nothing may crash, leak
// or hang, and the pane hands on the bytes it was given.

#include "DecliningPlatform.h"
#include "catalogue/LessonTrees.h"
#include "catalogue/TextLookup.h"
#include "speech/LanguageRuns.h"
#include "speech/SpeechText.h"
#include "text/LessonMemo.h"
#include "text/TextLessonLoader.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
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

// Made once and never destroyed: an application torn down at exit leaves
// the font engines of its text layouts behind, which the leak check at exit
// would blame on the last input.
void makeApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quorvane-fuzz-textlesson";
    static char* argv[] = {name, nullptr};
    static const QApplication* application = new QApplication(argc, argv);
    Q_UNUSED(application);
}

QByteArray joined(const QList<QByteArray>& lines)
{
    QByteArray all;
    for (const QByteArray& line : lines)
        all += line;
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    makeApplication();
    static QTemporaryDir folder;
    check(folder.isValid());
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The first lesson's file is 1.txt; the second one's stays missing, so
    // odd lengths take the path that offers the download page.
    const int selected = int(size % 2);
    {
        QFile file(folder.filePath(QStringLiteral("1.txt")));
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(bytes) == bytes.size());
    }
    const TextLesson lesson = findTextLesson(textTree(), folder.path() + u'/', selected);
    LessonMemo memo;
    memo.resize(240, 160);
    memo.setScrollBars(size % 4 < 2 ? LessonMemo::ScrollBars::Vertical
                                    : LessonMemo::ScrollBars::Both);
    fuzz::DecliningPlatform platform;
    loadTextLesson(lesson, memo, platform, nullptr);
    if (selected == 0)
        check(memo.text() == LessonMemo::withCrLf(bytes));
    else
        check(memo.text().isEmpty());

    // Wrapping cuts the pane's lines into screen lines and loses no byte.
    const QList<QByteArray> lines = memo.lines();
    memo.setScrollBars(memo.scrollBars() == LessonMemo::ScrollBars::Both
                           ? LessonMemo::ScrollBars::Vertical
                           : LessonMemo::ScrollBars::Both);
    check(joined(memo.lines()) == joined(lines));

    memo.selectAll();
    const QByteArray selection = memo.selectedText();
    check(selection == memo.text());
    for (bool readSymbols : {false, true}) {
        for (const LanguageRun& piece :
             splitSpeechPieces(PrepareSpeechText(selection, readSymbols)))
            check(piece.text.size() <= kLongestSpeechPiece);
    }
    return 0;
}

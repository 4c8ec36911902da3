// libFuzzer entry: any bytes are a lesson folder's list.txt, looked up from
// every node of the animation tree as selecting it does. Nothing may crash,
// leak or hang; a malformed line may only throw the index error.

#include "catalogue/AnimationLookup.h"
#include "catalogue/LessonList.h"
#include "catalogue/LessonTree.h"
#include "catalogue/LessonTrees.h"
#include "catalogue/TextLookup.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A lesson folder holding a few movies and text lessons under names as a
// copy from Windows leaves them, so that lines naming them play and others
// report the lesson missing.
class LessonFolder {
public:
    LessonFolder()
    {
        check(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("Fyf01"));
        for (const char* name : {"fyf1.swf", "Fyf01/Lesson1.SWF", "1.txt", "7.TXT"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            check(file.open(QIODevice::WriteOnly));
        }
    }

    QString path() const { return m_dir.path() + u'/'; }
    QString listPath() const { return m_dir.filePath(QStringLiteral("list.txt")); }

private:
    QTemporaryDir m_dir;
};

// Holds the lookup to its promises: a missing lesson or the closing
// animation mode ends the handling, and only existing files are played.
class CheckingHost : public AnimationLessonHost {
public:
    void setLessonStatus(const QByteArray& text) override
    {
        step();
        check(text.contains("->"));
    }
    void setCurrentLessonIndex(int flatIndex) override
    {
        step();
        check(flatIndex >= 0 && flatIndex < animationTree().count() &&
              !animationTree().isChapter(flatIndex));
    }
    void reportMissingLesson() override
    {
        step();
        m_ended = true;
    }
    void playMovie(const QString& path) override
    {
        step();
        check(QFileInfo(path).isFile());
    }
    void showAnimationMode() override
    {
        step();
        m_ended = true;
    }

private:
    void step() const { check(!m_ended); }

    bool m_ended = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const LessonFolder folder;
    {
        QFile list(folder.listPath());
        check(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(list.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    LessonList lessons;
    lessons.load(folder.listPath());

    const LessonTree& animations = animationTree();
    for (int node = 0; node < animations.count(); ++node) {
        CheckingHost host;
        try {
            runAnimationLookup(animations, lessons, folder.path(), node, host);
        } catch (const Error&) {
            // The index error of a line with too few fields.
        }
    }
    // The text lookup reads no list; one node per input, chosen by its
    // length, reaches all of them across a run.
    const LessonTree& texts = textTree();
    const TextLesson lesson = findTextLesson(texts, folder.path(), int(size % texts.count()));
    check(lesson.path.startsWith(folder.path()) && !lesson.statusText.isEmpty());
    return 0;
}

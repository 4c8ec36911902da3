#include "LessonTree.h"

#include "platform/Gbk.h"

namespace quorvane {

LessonTree LessonTree::fromChapters(std::initializer_list<ChapterSource> chapters)
{
    LessonTree tree;
    for (const ChapterSource& chapter : chapters) {
        const int chapterIndex = tree.count();
        tree.m_nodes.push_back({gbk::fromUnicode(QString::fromUtf8(chapter.caption)), -1});
        for (const char* lesson : chapter.lessons)
            tree.m_nodes.push_back({gbk::fromUnicode(QString::fromUtf8(lesson)), chapterIndex});
    }
    return tree;
}

bool LessonTree::hasChildren(int index) const
{
    return isChapter(index) && index + 1 < count() && parent(index + 1) == index;
}

QList<int> LessonTree::children(int index) const
{
    QList<int> result;
    for (int i = index + 1; i < count() && parent(i) == index; ++i)
        result << i;
    return result;
}

QList<int> LessonTree::chapters() const
{
    QList<int> result;
    for (int i = 0; i < count(); ++i) {
        if (isChapter(i))
            result << i;
    }
    return result;
}

} // namespace quorvane

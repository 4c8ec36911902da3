#pragma once

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <vector>

namespace quorvane {

// A chapter tree of exactly two levels: chapters, each with its lessons.
// Nodes are addressed by flat index, their place in pre-order counted from 0
// with the chapters included. Captions are GBK bytes.
class LessonTree {
public:
    struct ChapterSource {
        const char* caption; // UTF-8
        std::vector<const char*> lessons;
    };

    static LessonTree fromChapters(std::initializer_list<ChapterSource> chapters);

    int count() const { return static_cast<int>(m_nodes.size()); }
    const QByteArray& caption(int index) const { return m_nodes.at(index).caption; }
    // -1 for a chapter.
    int parent(int index) const { return m_nodes.at(index).parent; }
    bool isChapter(int index) const { return parent(index) < 0; }
    bool hasChildren(int index) const;
    QList<int> children(int index) const;
    QList<int> chapters() const;

private:
    struct Node {
        QByteArray caption;
        int parent;
    };
    std::vector<Node> m_nodes;
};

} // namespace quorvane

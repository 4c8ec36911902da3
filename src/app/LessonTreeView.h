#pragma once

#include <QTreeWidget>

namespace quorvane {

class LessonTree;

// A chapter tree shown as a tree view and addressed by flat index. Selecting
// a node, by the learner or by the program, opens its chapter, scrolls it
// into view and reports the change at once.
class LessonTreeView : public QTreeWidget {
    Q_OBJECT

public:
    LessonTreeView(const LessonTree& tree, QWidget* parent = nullptr);

    const LessonTree& tree() const { return m_tree; }
    int count() const { return static_cast<int>(m_items.size()); }
    // Throws the tree's "Invalid index" error outside 0..count-1.
    QTreeWidgetItem* item(int flatIndex) const;
    int flatIndexOf(const QTreeWidgetItem* item) const;
    // Throws like item() for a node that does not exist.
    bool hasChildren(int flatIndex) const { return item(flatIndex)->childCount() > 0; }
    // -1 when nothing is selected.
    int selectedIndex() const;
    void selectIndex(int flatIndex);

signals:
    void selectedIndexChanged(int flatIndex);

private:
    const LessonTree& m_tree;
    std::vector<QTreeWidgetItem*> m_items;
};

} // namespace quorvane

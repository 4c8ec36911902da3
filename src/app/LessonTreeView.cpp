#include "LessonTreeView.h"

#include "catalogue/LessonTree.h"
#include "platform/Error.h"
#include "platform/Gbk.h"

#include <QHeaderView>

namespace quorvane {

namespace {

constexpr int kFlatIndexRole = Qt::UserRole + 1;

} // namespace

LessonTreeView::LessonTreeView(const LessonTree& tree, QWidget* parent)
    : QTreeWidget(parent), m_tree(tree)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setUniformRowHeights(true);
    // Long captions scroll sideways rather than being cut short.
    setTextElideMode(Qt::ElideNone);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    QTreeWidgetItem* chapter = nullptr;
    for (int index = 0; index < tree.count(); ++index) {
        const QStringList caption{gbk::toUnicode(tree.caption(index))};
        QTreeWidgetItem* node = tree.isChapter(index) ? new QTreeWidgetItem(this, caption)
                                                      : new QTreeWidgetItem(chapter, caption);
        node->setData(0, kFlatIndexRole, index);
        if (tree.isChapter(index))
            chapter = node;
        m_items.push_back(node);
    }
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) {
                if (!current)
                    return;
                if (QTreeWidgetItem* parentItem = current->parent())
                    parentItem->setExpanded(true);
                scrollToItem(current);
                emit selectedIndexChanged(flatIndexOf(current));
            });
}

QTreeWidgetItem* LessonTreeView::item(int flatIndex) const
{
    if (flatIndex < 0 || flatIndex >= count())
        throw Error(QStringLiteral("Invalid index"));
    return m_items[static_cast<size_t>(flatIndex)];
}

int LessonTreeView::flatIndexOf(const QTreeWidgetItem* node) const
{
    return node ? node->data(0, kFlatIndexRole).toInt() : -1;
}

int LessonTreeView::selectedIndex() const
{
    return flatIndexOf(currentItem());
}

void LessonTreeView::selectIndex(int flatIndex)
{
    QTreeWidgetItem* node = item(flatIndex);
    if (QTreeWidgetItem* parentItem = node->parent())
        parentItem->setExpanded(true);
    setCurrentItem(node);
}

} // namespace quorvane

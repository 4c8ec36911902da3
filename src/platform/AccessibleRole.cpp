#include "AccessibleRole.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>

namespace quorvane {

namespace {

const char* const kRoleProperty = "quorvaneAccessibleRole";

bool isSubmenu(const QMenu* menu)
{
    const QList<QObject*> holders = menu->menuAction()->associatedObjects();
    return std::any_of(holders.begin(), holders.end(), [](const QObject* holder) {
        return qobject_cast<const QMenu*>(holder) || qobject_cast<const QMenuBar*>(holder);
    });
}

// A context menu is a window of its own whose accessible parent is the
// application, yet Qt leaves pop-ups out of the application's children, so
// a screen reader walking the tree never meets an open one. The application
// counts them in while they are shown; the menus of the menu bar have their
// place under the bar.
class ApplicationWithMenus : public QAccessibleApplication {
public:
    int childCount() const override
    {
        return QAccessibleApplication::childCount() + static_cast<int>(openMenus().size());
    }

    QAccessibleInterface* child(int index) const override
    {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const QList<QMenu*> menus = openMenus();
        if (index - windows >= menus.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(menus.at(index - windows));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (auto* menu = qobject_cast<QMenu*>(child ? child->object() : nullptr)) {
            const qsizetype index = openMenus().indexOf(menu);
            if (index >= 0)
                return QAccessibleApplication::childCount() + static_cast<int>(index);
        }
        return QAccessibleApplication::indexOfChild(child);
    }

private:
    static QList<QMenu*> openMenus()
    {
        QList<QMenu*> menus;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(window);
            if (menu && menu->isVisible() && !isSubmenu(menu))
                menus.append(menu);
        }
        return menus;
    }
};

QAccessibleInterface* applicationFactory(const QString&, QObject* object)
{
    return object && object == qApp ? new ApplicationWithMenus : nullptr;
}

QAccessibleInterface* roleFactory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const QVariant role = object->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object),
                                 static_cast<QAccessible::Role>(role.toInt()));
}

// In place before anything asks for the application's interface, which Qt
// keeps once made.
[[maybe_unused]] const bool kApplicationFactoryInstalled = [] {
    QAccessible::installFactory(applicationFactory);
    return true;
}();

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role)
{
    // The factory installed last is asked first: this one must come after
    // the one the application installs for Qt's own widgets, so that a
    // QFrame given a role keeps it.
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kRoleProperty, static_cast<int>(role));
}

} // namespace quorvane

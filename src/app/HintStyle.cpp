#include "HintStyle.h"

#include <QApplication>
#include <QStyleFactory>
#include <QToolTip>

namespace quorvane {

HintStyle::HintStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int HintStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return m_hintPause;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

HintStyle* installHintStyle()
{
    if (auto* existing = dynamic_cast<HintStyle*>(QApplication::style()))
        return existing;
    auto* style = new HintStyle;
    QApplication::setStyle(style);
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Qt::white);
    hints.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(hints);
    return style;
}

} // namespace quorvane

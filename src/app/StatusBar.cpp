#include "StatusBar.h"

#include "platform/Gbk.h"

#include <QLabel>

namespace quorvane {

namespace {

constexpr std::array<int, StatusBar::kPanelCount - 1> kPanelWidths{140, 220, 220};

// What each panel stands for, for a screen reader that reads the bar.
const std::array<QString, StatusBar::kPanelCount> kPanelNames{
    QStringLiteral("学习模式"), QStringLiteral("当前课程"), QStringLiteral("发音方式"),
    QStringLiteral("当前时间")};

} // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("Sbar1"));
    setAccessibleName(QStringLiteral("状态栏"));
    setSizeGripEnabled(false);
    setFixedHeight(kHeight);
    // The panels sit edge to edge, as one bar of four fields.
    setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(2);
        label->setAccessibleDescription(kPanelNames[static_cast<size_t>(i)]);
        const bool last = i == kPanelCount - 1;
        label->setAlignment(last ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        if (!last)
            label->setFixedWidth(kPanelWidths[static_cast<size_t>(i)]);
        addPermanentWidget(label, last ? 1 : 0);
        m_panels[static_cast<size_t>(i)] = label;
    }
}

void StatusBar::setPanelText(int panel, const QByteArray& text)
{
    const auto index = static_cast<size_t>(panel);
    m_texts.at(index) = text;
    m_panels.at(index)->setText(gbk::toUnicode(text));
}

} // namespace quorvane

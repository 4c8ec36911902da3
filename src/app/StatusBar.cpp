#include "StatusBar.h"

#include "platform/Gbk.h"

#include <QLabel>

namespace quorvane {

namespace {

constexpr std::array<int, StatusBar::kPanelCount - 1> kPanelWidths{140, 220, 220};

} // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(2);
        label->setAlignment(i == kPanelCount - 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        m_panels[static_cast<size_t>(i)] = label;
    }
}

void StatusBar::setPanelText(int panel, const QByteArray& text)
{
    const auto index = static_cast<size_t>(panel);
    m_texts.at(index) = text;
    m_panels.at(index)->setText(gbk::toUnicode(text));
}

void StatusBar::resizeEvent(QResizeEvent*)
{
    int left = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        const int panelWidth =
            i < kPanelWidths.size() ? kPanelWidths[i] : std::max(0, width() - left);
        m_panels[i]->setGeometry(left, 0, panelWidth, height());
        left += panelWidth;
    }
}

} // namespace quorvane

#pragma once

#include <QByteArray>
#include <QStatusBar>
#include <array>

class QLabel;

namespace quorvane {

// Sbar1: four sunken panels of fixed widths; the last one takes the rest of
// the bar and centres its text. Panel texts are the system's GBK bytes. Being
// a real status bar, assistive technologies announce it as one.
class StatusBar : public QStatusBar {
    Q_OBJECT

public:
    static constexpr int kPanelCount = 4;
    static constexpr int kHeight = 19;

    explicit StatusBar(QWidget* parent = nullptr);

    void setPanelText(int panel, const QByteArray& text);
    QByteArray panelText(int panel) const { return m_texts.at(static_cast<size_t>(panel)); }
    QLabel* panel(int index) const { return m_panels.at(static_cast<size_t>(index)); }

private:
    std::array<QLabel*, kPanelCount> m_panels{};
    std::array<QByteArray, kPanelCount> m_texts;
};

} // namespace quorvane

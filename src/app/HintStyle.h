#pragma once

#include <QProxyStyle>

namespace quorvane {

// Application hints as the program wants them: shown after hintPause
// milliseconds (at once by default) on a white background.
class HintStyle : public QProxyStyle {
public:
    HintStyle();

    void setHintPause(int milliseconds) { m_hintPause = milliseconds; }
    int hintPause() const { return m_hintPause; }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

    // How long a hint stays up.
    static constexpr int kHintHidePause = 100000;

private:
    int m_hintPause = 0;
};

// Installs the hint settings for the whole application.
HintStyle* installHintStyle();

} // namespace quorvane

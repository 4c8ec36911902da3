#pragma once

#include "FontChoice.h"

#include <QDialog>

class QFontDialog;
class QPushButton;

namespace quorvane {

// The font dialog with the text colour beside it: Qt's font dialog has no
// colour of its own, and a font here is drawn in the colour chosen with it.
class FontColourDialog : public QDialog {
    Q_OBJECT

public:
    explicit FontColourDialog(const FontChoice& initial, QWidget* parent = nullptr);

    FontChoice choice() const;
    void setColour(const QColor& colour);

private:
    void chooseColour();

    QFontDialog* m_fonts;
    QPushButton* m_colourButton;
    QColor m_colour;
};

} // namespace quorvane

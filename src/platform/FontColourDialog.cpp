#include "FontColourDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane {

FontColourDialog::FontColourDialog(const FontChoice& initial, QWidget* parent)
    : QDialog(parent), m_fonts(new QFontDialog(initial.font, this)),
      m_colourButton(new QPushButton(this))
{
    setWindowTitle(QStringLiteral("字体"));
    // The font dialog becomes a part of this one, its own buttons left out.
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);

    auto* colourLabel = new QLabel(QStringLiteral("颜色(&C)："), this);
    colourLabel->setBuddy(m_colourButton);
    m_colourButton->setObjectName(QStringLiteral("colourButton"));
    m_colourButton->setAccessibleName(QStringLiteral("文字颜色"));
    connect(m_colourButton, &QPushButton::clicked, this, &FontColourDialog::chooseColour);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(m_colourButton);
    colourRow->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
    setColour(initial.colour);
}

FontChoice FontColourDialog::choice() const
{
    return {m_fonts->currentFont(), m_colour};
}

void FontColourDialog::setColour(const QColor& colour)
{
    m_colour = colour;
    QPixmap swatch(40, 14);
    swatch.fill(colour);
    m_colourButton->setIcon(QIcon(swatch));
    m_colourButton->setIconSize(swatch.size());
    m_colourButton->setToolTip(colour.name());
}

void FontColourDialog::chooseColour()
{
    const QColor colour = QColorDialog::getColor(m_colour, this, QStringLiteral("文字颜色"));
    if (colour.isValid())
        setColour(colour);
}

} // namespace quorvane

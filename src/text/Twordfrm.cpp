#include "Twordfrm.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quorvane {

Twordfrm::Twordfrm(QWidget* parent) : QWidget(parent, Qt::Window), m_memo1(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("Twordfrm"));
    setWindowTitle(QStringLiteral("文字教程"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    m_memo1->setFont(font);
    m_memo1->setReadOnly(true);
    m_memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_memo1);
    setWindowState(Qt::WindowMaximized);
}

} // namespace quorvane

#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace quorvane {

// The full-screen text window: created once at start-up, hidden between
// uses; it shows a copy of the text pane's lesson.
class Twordfrm : public QWidget {
    Q_OBJECT

public:
    explicit Twordfrm(QWidget* parent = nullptr);

    QPlainTextEdit* memo() const { return m_memo1; }

private:
    QPlainTextEdit* m_memo1;
};

} // namespace quorvane

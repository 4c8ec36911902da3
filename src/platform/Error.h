#pragma once

#include <QString>

#include <stdexcept>

namespace quorvane {

// A failure that a handler leaves to the general error handler; its message
// is shown to the learner as it stands.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

} // namespace quorvane

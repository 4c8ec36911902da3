#pragma once

#include <QColor>
#include <QFont>

namespace quorvane {

// A font as the learner chooses it: the face, size and style with the
// colour the text is drawn in.
struct FontChoice {
    QFont font;
    QColor colour;

    bool operator==(const FontChoice&) const = default;
};

} // namespace quorvane

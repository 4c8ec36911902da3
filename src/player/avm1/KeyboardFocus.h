#pragma once

#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace quorvane::player::avm1 {

class Clip;
class Stage;

// The object keys go to, and the ring Tab walks: the handlers each
// change calls, the highlight a focused button or clip shows, and the
// tab order the objects' tabEnabled, tabIndex and tabChildren make.
class KeyboardFocus {
public:
    explicit KeyboardFocus(Stage& stage);

    Clip* focus() const { return m_focus; }
    // Whether the object takes the focus at all (Selection.setFocus).
    bool accepts(Clip* clip);
    // Selection.setFocus: the old focus hears onKillFocus, the new one
    // onSetFocus, then Selection's listeners onSetFocus, all at once.
    // Setting a button or clip highlights it anew even when it has the
    // focus already.
    void setFocus(Clip* clip);
    // Tab and Shift+Tab: the next object of the tab order, its highlight
    // first, the focus change after what is queued so far.
    void tab(bool backwards);
    // The object left the display list or was hidden: it loses the focus
    // (with the handlers a change calls) and its highlight.
    void letGo(Clip* clip);
    // The button or clip showing the focus highlight; null for none.
    Clip* highlighted() const { return m_highlighted; }
    // Rows, then columns, in whole twips.
    using Position = std::pair<long, long>;

private:
    // A place on the ring: the tab index (in a custom order) and position.
    struct Stop {
        std::optional<std::int32_t> index;
        Position position;
        Clip* clip = nullptr;

        bool operator<(const Stop& other) const
        {
            return std::tie(index, position) < std::tie(other.index, other.position);
        }
    };
    // What the objects allow today, in the order Tab visits them.
    std::vector<Stop> tabStops();
    void changeFocus(Clip* clip);
    void highlight(Clip* clip);
    void collectTabbable(Clip* clip, std::vector<Clip*>& found);
    bool tabbable(Clip* clip);

    Stage& m_stage;
    Clip* m_focus = nullptr;
    // The button or clip that shows it has the focus (its over state).
    Clip* m_highlighted = nullptr;
};

} // namespace quorvane::player::avm1

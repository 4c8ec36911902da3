#include "player/graphics/ShapeGeometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <unordered_map>

namespace quorvane::player {

namespace {

struct Edge {
    swf::Point from;
    std::optional<swf::Point> control;
    swf::Point to;

    Edge reversed() const { return Edge{to, control, from}; }
};

// Damaged shapes can sum deltas past 32 bits; coordinates saturate instead
// of overflowing.
swf::Twips addSaturated(swf::Twips a, swf::Twips b)
{
    const std::int64_t sum = std::int64_t{a} + b;
    return static_cast<swf::Twips>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<swf::Twips>::min(), std::numeric_limits<swf::Twips>::max()));
}

std::uint64_t pointKey(swf::Point point)
{
    return std::uint64_t{static_cast<std::uint32_t>(point.x)} << 32 |
           static_cast<std::uint32_t>(point.y);
}

// Edges in the order they came, chained where each starts at the previous end.
std::vector<Contour> chain(const std::vector<Edge>& edges)
{
    std::vector<Contour> chains;
    for (const Edge& edge : edges) {
        if (chains.empty() || chains.back().finish() != edge.from) {
            chains.push_back(Contour{edge.from, {}});
        }
        chains.back().segments.push_back(Segment{edge.to, edge.control});
    }
    return chains;
}

Contour reversedContour(const Contour& contour)
{
    Contour result{contour.finish(), {}};
    for (std::size_t i = contour.segments.size(); i-- > 0;) {
        const swf::Point end = i == 0 ? contour.start : contour.segments[i - 1].end;
        result.segments.push_back(Segment{end, contour.segments[i].control});
    }
    return result;
}

// Joins chains that meet end to start into as few contours as possible, so
// that each closed area is one closed contour.
std::vector<Contour> joinChains(std::vector<Contour> chains)
{
    // Chains not yet used, by their start; each is removed as it is used,
    // so that hostile shapes with thousands of chains from one point stay
    // linear.
    std::unordered_multimap<std::uint64_t, std::size_t> byStart;
    std::vector<std::unordered_multimap<std::uint64_t, std::size_t>::iterator> entries;
    entries.reserve(chains.size());
    for (std::size_t i = 0; i < chains.size(); ++i) {
        entries.push_back(byStart.emplace(pointKey(chains[i].start), i));
    }
    std::vector<bool> used(chains.size(), false);
    std::vector<Contour> contours;
    for (std::size_t i = 0; i < chains.size(); ++i) {
        if (used[i]) {
            continue;
        }
        used[i] = true;
        byStart.erase(entries[i]);
        Contour contour = std::move(chains[i]);
        while (!contour.isClosed()) {
            const auto next = byStart.find(pointKey(contour.finish()));
            if (next == byStart.end()) {
                break;
            }
            const std::size_t piece = next->second;
            used[piece] = true;
            byStart.erase(next);
            contour.segments.insert(contour.segments.end(), chains[piece].segments.begin(),
                                    chains[piece].segments.end());
        }
        contours.push_back(std::move(contour));
    }
    return contours;
}

// One style group: the styles in force and the edges drawn with them.
class Group {
public:
    explicit Group(const swf::ShapeStyles& styles) : m_styles(styles) {}

    void addEdge(const Edge& edge, std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
    {
        // An edge with the same fill on both sides goes in twice, once each
        // way; the even-odd fill cancels it and the contours stay closed.
        if (fill1 != 0) {
            m_fillRight[fill1].push_back(edge);
        }
        if (fill0 != 0) {
            m_fillLeft[fill0].push_back(edge);
        }
        if (line != 0) {
            m_lines[line].push_back(edge);
        }
    }

    void emit(std::vector<DrawItem>& items) const
    {
        std::map<std::uint32_t, bool> fills;
        for (const auto& entry : m_fillRight) {
            fills[entry.first] = true;
        }
        for (const auto& entry : m_fillLeft) {
            fills[entry.first] = true;
        }
        for (const auto& [index, unused] : fills) {
            if (index > m_styles.fillStyles.size()) {
                continue;
            }
            std::vector<Contour> chains;
            if (auto found = m_fillRight.find(index); found != m_fillRight.end()) {
                chains = chain(found->second);
            }
            // Edges with the style on their other side run the other way
            // round the area: chain them as they came, then turn them.
            if (auto found = m_fillLeft.find(index); found != m_fillLeft.end()) {
                for (const Contour& contour : chain(found->second)) {
                    chains.push_back(reversedContour(contour));
                }
            }
            items.push_back(
                FillArea{m_styles.fillStyles[index - 1], joinChains(std::move(chains))});
        }
        for (const auto& [index, edges] : m_lines) {
            if (index > m_styles.lineStyles.size()) {
                continue;
            }
            items.push_back(Stroke{m_styles.lineStyles[index - 1], chain(edges)});
        }
    }

private:
    const swf::ShapeStyles& m_styles;
    std::map<std::uint32_t, std::vector<Edge>> m_fillRight;
    std::map<std::uint32_t, std::vector<Edge>> m_fillLeft;
    std::map<std::uint32_t, std::vector<Edge>> m_lines;
};

} // namespace

ShapeGeometry ShapeGeometry::build(const swf::DefineShape& shape)
{
    ShapeGeometry geometry;
    geometry.bounds = shape.bounds;
    geometry.windingFill = shape.usesFillWindingRule;

    std::vector<Group> groups;
    groups.emplace_back(shape.shape.styles);
    swf::Point position;
    std::uint32_t fill0 = 0;
    std::uint32_t fill1 = 0;
    std::uint32_t line = 0;
    for (const swf::ShapeRecord& record : shape.shape.records) {
        if (const auto* change = std::get_if<swf::StyleChangeRecord>(&record)) {
            if (change->newStyles) {
                groups.emplace_back(*change->newStyles);
                fill0 = fill1 = line = 0;
            }
            if (change->moveTo) {
                position = *change->moveTo;
            }
            fill0 = change->fillStyle0.value_or(fill0);
            fill1 = change->fillStyle1.value_or(fill1);
            line = change->lineStyle.value_or(line);
        } else if (const auto* straight = std::get_if<swf::StraightEdgeRecord>(&record)) {
            const swf::Point to{addSaturated(position.x, straight->deltaX),
                                addSaturated(position.y, straight->deltaY)};
            groups.back().addEdge(Edge{position, std::nullopt, to}, fill0, fill1, line);
            position = to;
        } else {
            const auto& curve = std::get<swf::CurvedEdgeRecord>(record);
            const swf::Point control{addSaturated(position.x, curve.controlDeltaX),
                                     addSaturated(position.y, curve.controlDeltaY)};
            const swf::Point to{addSaturated(control.x, curve.anchorDeltaX),
                                addSaturated(control.y, curve.anchorDeltaY)};
            groups.back().addEdge(Edge{position, control, to}, fill0, fill1, line);
            position = to;
        }
    }
    for (const Group& group : groups) {
        group.emit(geometry.items);
    }
    return geometry;
}

} // namespace quorvane::player

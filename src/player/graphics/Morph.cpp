#include "player/graphics/Morph.h"

#include <cmath>

namespace quorvane::player {

namespace {

constexpr std::size_t kMaxExactRatios = 512;
constexpr std::uint16_t kCoarseRatioStep = 128;

struct Mix {
    double t = 0;

    std::int32_t operator()(std::int32_t a, std::int32_t b) const
    {
        return static_cast<std::int32_t>(std::lround(a + (double(b) - a) * t));
    }
    std::uint8_t operator()(std::uint8_t a, std::uint8_t b) const
    {
        return static_cast<std::uint8_t>(std::lround(a + (double(b) - a) * t));
    }
    swf::Rgba operator()(swf::Rgba a, swf::Rgba b) const
    {
        return {(*this)(a.r, b.r), (*this)(a.g, b.g), (*this)(a.b, b.b), (*this)(a.a, b.a)};
    }
    swf::Matrix operator()(const swf::Matrix& a, const swf::Matrix& b) const
    {
        return {(*this)(a.scaleX, b.scaleX),           (*this)(a.scaleY, b.scaleY),
                (*this)(a.rotateSkew0, b.rotateSkew0), (*this)(a.rotateSkew1, b.rotateSkew1),
                (*this)(a.translateX, b.translateX),   (*this)(a.translateY, b.translateY)};
    }
    swf::Rect operator()(const swf::Rect& a, const swf::Rect& b) const
    {
        return {(*this)(a.xMin, b.xMin), (*this)(a.xMax, b.xMax), (*this)(a.yMin, b.yMin),
                (*this)(a.yMax, b.yMax)};
    }
    swf::FillStyle operator()(const swf::FillStyle& a, const swf::FillStyle& b) const
    {
        swf::FillStyle result = a;
        result.color = (*this)(a.color, b.color);
        result.bitmapMatrix = (*this)(a.bitmapMatrix, b.bitmapMatrix);
        result.gradient.matrix = (*this)(a.gradient.matrix, b.gradient.matrix);
        result.gradient.focalPoint = static_cast<swf::Fixed8>(
            (*this)(std::int32_t{a.gradient.focalPoint}, std::int32_t{b.gradient.focalPoint}));
        for (std::size_t i = 0; i < result.gradient.records.size() && i < b.gradient.records.size();
             ++i) {
            result.gradient.records[i].ratio =
                (*this)(a.gradient.records[i].ratio, b.gradient.records[i].ratio);
            result.gradient.records[i].color =
                (*this)(a.gradient.records[i].color, b.gradient.records[i].color);
        }
        return result;
    }
};

swf::CurvedEdgeRecord asCurve(const swf::ShapeRecord& record)
{
    if (const auto* curve = std::get_if<swf::CurvedEdgeRecord>(&record)) {
        return *curve;
    }
    const auto& line = std::get<swf::StraightEdgeRecord>(record);
    return {line.deltaX / 2, line.deltaY / 2, line.deltaX - line.deltaX / 2,
            line.deltaY - line.deltaY / 2};
}

} // namespace

swf::DefineShape interpolateMorph(const swf::DefineMorphShape& morph, std::uint16_t ratio)
{
    const Mix mix{ratio / 65535.0};
    swf::DefineShape shape;
    shape.version = morph.version >= 2 ? 4 : 3;
    shape.id = morph.id;
    shape.bounds = mix(morph.startBounds, morph.endBounds);
    for (const swf::MorphFillStyle& fill : morph.fillStyles) {
        shape.shape.styles.fillStyles.push_back(mix(fill.start, fill.end));
    }
    for (const swf::MorphLineStyle& line : morph.lineStyles) {
        swf::LineStyle style = line.start;
        style.width = static_cast<std::uint16_t>(
            mix(std::int32_t{line.start.width}, std::int32_t{line.end.width}));
        style.color = mix(line.start.color, line.end.color);
        if (line.start.fill && line.end.fill) {
            style.fill = mix(*line.start.fill, *line.end.fill);
        }
        shape.shape.styles.lineStyles.push_back(style);
    }
    // The end edges hold only moves and edges; they pair with the start's
    // records in order.
    std::size_t end = 0;
    for (const swf::ShapeRecord& record : morph.startEdges) {
        if (const auto* change = std::get_if<swf::StyleChangeRecord>(&record)) {
            swf::StyleChangeRecord mixed = *change;
            mixed.newStyles.reset();
            if (change->moveTo && end < morph.endEdges.size()) {
                if (const auto* endChange =
                        std::get_if<swf::StyleChangeRecord>(&morph.endEdges[end])) {
                    ++end;
                    if (endChange->moveTo) {
                        mixed.moveTo = swf::Point{mix(change->moveTo->x, endChange->moveTo->x),
                                                  mix(change->moveTo->y, endChange->moveTo->y)};
                    }
                }
            }
            shape.shape.records.push_back(mixed);
            continue;
        }
        while (end < morph.endEdges.size() &&
               std::holds_alternative<swf::StyleChangeRecord>(morph.endEdges[end])) {
            ++end;
        }
        if (end >= morph.endEdges.size()) {
            shape.shape.records.push_back(record);
            continue;
        }
        const swf::ShapeRecord& other = morph.endEdges[end++];
        const auto* startLine = std::get_if<swf::StraightEdgeRecord>(&record);
        const auto* endLine = std::get_if<swf::StraightEdgeRecord>(&other);
        if (startLine && endLine) {
            shape.shape.records.push_back(swf::StraightEdgeRecord{
                mix(startLine->deltaX, endLine->deltaX), mix(startLine->deltaY, endLine->deltaY)});
            continue;
        }
        const swf::CurvedEdgeRecord a = asCurve(record);
        const swf::CurvedEdgeRecord b = asCurve(other);
        shape.shape.records.push_back(swf::CurvedEdgeRecord{
            mix(a.controlDeltaX, b.controlDeltaX), mix(a.controlDeltaY, b.controlDeltaY),
            mix(a.anchorDeltaX, b.anchorDeltaX), mix(a.anchorDeltaY, b.anchorDeltaY)});
    }
    return shape;
}

const ShapeGeometry& MorphShape::at(std::uint16_t ratio) const
{
    if (m_shapes.size() >= kMaxExactRatios && !m_shapes.contains(ratio)) {
        ratio = static_cast<std::uint16_t>(ratio / kCoarseRatioStep * kCoarseRatioStep);
    }
    std::unique_ptr<ShapeGeometry>& shape = m_shapes[ratio];
    if (!shape) {
        shape = std::make_unique<ShapeGeometry>(
            ShapeGeometry::build(interpolateMorph(m_definition, ratio)));
    }
    return *shape;
}

} // namespace quorvane::player

#pragma once

#include "swf/BitReader.h"
#include "swf/Shape.h"

#include <cstddef>
#include <string>

namespace quorvane::swf {

// Reads the styles and records of DefineShape 1 to 4. A problem leaves a
// description in failure(); records read before it stay usable.
class ShapeReader {
public:
    // recordsLeft is the movie's budget of shape records, spent as they are read.
    ShapeReader(BitReader& reader, int shapeVersion, std::size_t& recordsLeft)
        : m_reader(reader), m_version(shapeVersion), m_recordsLeft(recordsLeft)
    {
    }

    // SHAPEWITHSTYLE. Returns false when not even the styles could be read.
    bool readShapeWithStyle(Shape& shape);
    // SHAPE, as glyphs and morph edges store it: records without styles.
    void readShape(Shape& shape);

    const std::string& failure() const { return m_failure; }

private:
    bool readStyles(ShapeStyles& styles);
    FillStyle readFillStyle();
    LineStyle readLineStyle();
    Gradient readGradient(bool focal);
    Rgba readColor();
    void readRecords(Shape& shape, int fillBits, int lineBits);
    void fail(std::string problem);

    BitReader& m_reader;
    int m_version;
    std::size_t& m_recordsLeft;
    std::string m_failure;
};

} // namespace quorvane::swf

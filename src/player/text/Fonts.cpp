#include "player/text/Fonts.h"

#include "player/text/MovieStrings.h"

#include <QFontDatabase>

namespace quorvane::player {

namespace {

const QString kSans = QStringLiteral("Liberation Sans");
const QString kSerif = QStringLiteral("Liberation Serif");
const QString kMono = QStringLiteral("Liberation Mono");
const QString kHei = QStringLiteral("WenQuanYi Micro Hei");
const QString kSong = QStringLiteral("AR PL UMing CN");

ShapeGeometry glyphGeometry(const swf::Shape& glyph)
{
    swf::DefineShape shape;
    shape.version = 1;
    shape.shape.styles.fillStyles.push_back(swf::FillStyle{});
    shape.shape.records = glyph.records;
    return ShapeGeometry::build(shape);
}

// Authoring tools store font names with their C terminator.
QString fontName(const std::string& bytes, int swfVersion)
{
    return decodeMovieString(bytes.substr(0, bytes.find('\0')), swfVersion);
}

} // namespace

std::optional<std::size_t> Font::glyphFor(char16_t code) const
{
    for (std::size_t i = 0; i < codes.size() && i < glyphs.size(); ++i) {
        if (codes[i] == code) {
            return i;
        }
    }
    return std::nullopt;
}

Font Font::build(const swf::DefineFont& font, int swfVersion)
{
    Font result;
    result.name = fontName(font.name, swfVersion);
    result.bold = font.bold;
    result.italic = font.italic;
    result.emSquare = font.version >= 3 ? 1024.0 * 20 : 1024.0;
    for (const swf::Shape& glyph : font.glyphs) {
        result.glyphs.push_back(glyphGeometry(glyph));
    }
    result.codes = font.codes;
    result.layout = font.layout;
    return result;
}

void Font::apply(const swf::DefineFontInfo& info, int swfVersion)
{
    name = fontName(info.name, swfVersion);
    bold = info.bold;
    italic = info.italic;
    codes = info.codes;
}

QString decodeMovieString(const std::string& bytes, int swfVersion)
{
    return QString::fromStdString(movieStringToUtf8(bytes, swfVersion));
}

QStringList deviceFontFamilies(const QString& name)
{
    const QString key = name.trimmed();
    QStringList families;
    if (key == u"_serif" || key.compare(u"Times New Roman", Qt::CaseInsensitive) == 0 ||
        key.compare(u"Times", Qt::CaseInsensitive) == 0) {
        families = {kSerif, kSong};
    } else if (key == u"_typewriter" || key.compare(u"Courier New", Qt::CaseInsensitive) == 0 ||
               key.compare(u"Courier", Qt::CaseInsensitive) == 0) {
        families = {kMono, kHei};
    } else if (key == u"宋体" || key == u"新宋体" ||
               key.compare(u"SimSun", Qt::CaseInsensitive) == 0 ||
               key.compare(u"NSimSun", Qt::CaseInsensitive) == 0 || key == u"仿宋" ||
               key == u"楷体" || key == u"楷体_GB2312" || key == u"仿宋_GB2312") {
        families = {kSong, kHei};
    } else if (key == u"黑体" || key == u"微软雅黑" ||
               key.compare(u"SimHei", Qt::CaseInsensitive) == 0 ||
               key.compare(u"Microsoft YaHei", Qt::CaseInsensitive) == 0) {
        families = {kHei, kSong};
    } else if (key.isEmpty() || key == u"_sans" ||
               key.compare(u"Arial", Qt::CaseInsensitive) == 0) {
        families = {kSans, kHei};
    } else if (QFontDatabase::hasFamily(key)) {
        families = {key, kSans, kHei};
    } else {
        families = {kSans, kHei};
    }
    families << kSong;
    families.removeDuplicates();
    return families;
}

QFont deviceFont(const QString& name, bool bold, bool italic, int pixelSize)
{
    QFont font;
    font.setFamilies(deviceFontFamilies(name));
    font.setPixelSize(std::max(1, pixelSize));
    font.setBold(bold);
    font.setItalic(italic);
    // Layout measures at one size and draws at another; hinting would make
    // the two disagree.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

} // namespace quorvane::player

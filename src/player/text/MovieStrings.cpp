#include "player/text/MovieStrings.h"

#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace quorvane::player {

namespace {

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

bool isTrailByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// The characters the bytes hold when every one of them is ASCII or a lead
// byte with its trail; nothing when some byte begins no character. The
// decoder is not asked about those: it turns some into private-use
// characters and drops a lead byte at the end.
std::optional<qsizetype> pairedCharacterCount(std::string_view bytes)
{
    qsizetype count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++count) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            ++i;
        } else if (isLeadByte(byte) && i + 1 < bytes.size() &&
                   isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return count;
}

QString decodeGbk(std::string_view bytes)
{
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    return gbk.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// Character by character, for text the decoder cannot take whole: what
// begins no GBK character, or a pair GBK leaves unassigned, is Latin-1.
QString decodeGbkOrLatin1(std::string_view bytes)
{
    QString text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0x80) {
            // Code page 936 keeps the euro sign here.
            text += QChar(0x20AC);
            ++i;
            continue;
        }
        if (isLeadByte(byte) && i + 1 < bytes.size() &&
            isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const QString character = decodeGbk(bytes.substr(i, 2));
            if (character.size() == 1 && character[0] != QChar::ReplacementCharacter) {
                text += character;
                i += 2;
                continue;
            }
        }
        text += QChar(byte);
        ++i;
    }
    return text;
}

} // namespace

std::string movieStringToUtf8(std::string_view bytes, int swfVersion)
{
    if (swfVersion >= 6 || isAscii(bytes)) {
        return std::string(bytes);
    }
    if (const auto count = pairedCharacterCount(bytes)) {
        const QString text = decodeGbk(bytes);
        if (text.size() == *count && !text.contains(QChar::ReplacementCharacter)) {
            return text.toStdString();
        }
    }
    return decodeGbkOrLatin1(bytes).toStdString();
}

void decodeTagNames(std::vector<swf::Tag>& tags, int swfVersion)
{
    if (swfVersion >= 6) {
        return;
    }
    for (swf::Tag& tag : tags) {
        if (auto* label = std::get_if<swf::FrameLabel>(&tag.value)) {
            label->name = movieStringToUtf8(label->name, swfVersion);
        } else if (auto* place = std::get_if<swf::PlaceObject>(&tag.value); place && place->name) {
            place->name = movieStringToUtf8(*place->name, swfVersion);
        } else if (auto* sprite = std::get_if<swf::DefineSprite>(&tag.value)) {
            decodeTagNames(sprite->tags, swfVersion);
        }
    }
}

} // namespace quorvane::player

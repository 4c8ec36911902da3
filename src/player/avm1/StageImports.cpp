#include "player/avm1/Stage.h"
#include "player/text/MovieStrings.h"
#include "swf/BitReader.h"
#include "swf/Reader.h"

namespace quorvane::player::avm1 {

std::uint16_t Stage::unusedCharacterId()
{
    const Dictionary& dictionary = m_movie->dictionary();
    while (m_lastFreeId > 0) {
        const std::uint16_t id = m_lastFreeId--;
        if (!m_sprites.contains(id) && !m_buttons.contains(id) && !dictionary.shape(id) &&
            !dictionary.sprite(id) && !dictionary.bitmap(id) && !dictionary.morph(id) &&
            !dictionary.text(id) && !dictionary.font(id) && !m_movie->soundtrack().sound(id)) {
            return id;
        }
    }
    return 0;
}

void Stage::importAssets(const swf::Unknown& tag)
{
    swf::BitReader reader(tag.data);
    const int importerVersion = m_movie->header().version;
    const std::string url = movieStringToUtf8(reader.readString(), importerVersion);
    if (tag.code == kImportAssets2) {
        reader.readU8();
        reader.readU8();
    }
    std::vector<std::pair<std::uint16_t, std::string>> wanted;
    const std::uint16_t count = reader.readU16();
    for (std::uint16_t i = 0; i < count && !reader.overflowed(); ++i) {
        const std::uint16_t id = reader.readU16();
        wanted.emplace_back(id, movieStringToUtf8(reader.readString(), importerVersion));
    }
    const auto bytes = readLocalFile(url);
    if (!bytes || reader.overflowed()) {
        return;
    }
    auto read = swf::readMovie(*bytes);
    if (!read) {
        return;
    }
    auto movie = std::make_unique<swf::Movie>(std::move(read).value().movie);
    decodeTagNames(movie->tags, movie->header.version);
    const auto exports = exportedCharacters(movie->tags, movie->header.version);
    // The lending movie's characters get ids of ours: the imported names
    // those the importer chose, every other sprite one nobody uses, and
    // the rest (shapes, fonts, texts we do not draw from there) one that
    // stands for nothing.
    std::unordered_map<std::uint16_t, std::uint16_t> ids;
    for (const auto& [localId, name] : wanted) {
        if (const auto exported = exports.find(name); exported != exports.end()) {
            ids.emplace(exported->second, localId);
            m_exports.emplace(name, localId);
        }
    }
    const std::uint16_t nothing = unusedCharacterId();
    for (swf::Tag& definition : movie->tags) {
        if (auto* sprite = std::get_if<swf::DefineSprite>(&definition.value)) {
            if (!ids.contains(sprite->id)) {
                ids.emplace(sprite->id, unusedCharacterId());
            }
        }
    }
    for (swf::Tag& definition : movie->tags) {
        auto* sprite = std::get_if<swf::DefineSprite>(&definition.value);
        if (!sprite) {
            continue;
        }
        for (swf::Tag& inner : sprite->tags) {
            if (auto* place = std::get_if<swf::PlaceObject>(&inner.value);
                place && place->characterId) {
                const auto mapped = ids.find(*place->characterId);
                place->characterId = mapped != ids.end() ? mapped->second : nothing;
            }
        }
        m_sprites.try_emplace(ids.at(sprite->id), sprite->tags, sprite->frameCount);
    }
    m_importedMovies.push_back(std::move(movie));
}

} // namespace quorvane::player::avm1

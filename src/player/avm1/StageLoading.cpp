// Content scripts load from the movie's folder at run time: images and
// movies into clips and levels, variables from text files, and the
// bitmaps scripts attach.

#include "player/avm1/Stage.h"
#include "player/movie/Bitmaps.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>

namespace quorvane::player::avm1 {

namespace {

// GetURL2's flags.
constexpr int kLoadTarget = 0x40;
constexpr int kLoadVariables = 0x80;

std::optional<int> levelNumber(const Machine& machine, const std::string& window)
{
    constexpr std::string_view kLevel = "_level";
    if (window.size() <= kLevel.size() ||
        !machine.sameName(window.substr(0, kLevel.size()), kLevel)) {
        return std::nullopt;
    }
    const std::string digits = window.substr(kLevel.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 9) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

// The picture formats Flash loads; anything else, though Qt may read it, is
// a bad file to Flash. Null when it is not one, or does not fit the budget.
std::shared_ptr<QImage> decodeLoadedImage(const std::vector<std::uint8_t>& bytes,
                                          MemoryBudget& budget, const std::string& url)
{
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png" && format != "gif") {
        return nullptr;
    }
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxBitmapPixels) {
        return nullptr;
    }
    auto claim = budget.claim(std::size_t(size.width()) * std::size_t(size.height()) * 4,
                              "the picture " + url);
    if (!claim) {
        return nullptr;
    }
    QImage image = premultipliedAsFlash(reader.read());
    if (image.isNull()) {
        return nullptr;
    }
    return sharedWithClaim(std::move(image), std::move(*claim));
}

// name=value&name=value, url-encoded, as loadVariables reads a file.
std::vector<std::pair<std::string, std::string>>
urlEncodedVariables(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::pair<std::string, std::string>> variables;
    const QByteArray text(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    for (const QByteArray& pair : text.trimmed().split('&')) {
        const qsizetype equals = pair.indexOf('=');
        QByteArray name = pair.left(equals < 0 ? pair.size() : equals);
        QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        name.replace('+', ' ');
        value.replace('+', ' ');
        if (!name.isEmpty()) {
            variables.emplace_back(QByteArray::fromPercentEncoding(name).toStdString(),
                                   QByteArray::fromPercentEncoding(value).toStdString());
        }
    }
    return variables;
}

bool isMovieFile(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() >= 3 && (bytes[0] == 'F' || bytes[0] == 'C' || bytes[0] == 'Z') &&
           bytes[1] == 'W' && bytes[2] == 'S';
}

} // namespace

bool Stage::loadInto(Clip* base, const std::string& url, const std::string& window, int flags)
{
    if (flags & kLoadVariables) {
        Clip* target = (flags & kLoadTarget)             ? resolvePath(base, window)
                       : levelNumber(*m_machine, window) ? level(*levelNumber(*m_machine, window))
                                                         : nullptr;
        if (target) {
            loadVariables(target, url);
        }
        return true;
    }
    if (flags & kLoadTarget) {
        if (Clip* target = resolvePath(base, window)) {
            if (url.empty()) {
                unloadMovie(target);
            } else {
                loadMovie(target, url);
            }
        }
        return true;
    }
    const std::optional<int> number = levelNumber(*m_machine, window);
    if (!number) {
        return false;
    }
    if (url.empty()) {
        unloadMovieNum(*number);
    } else {
        loadMovieNum(*number, url);
    }
    return true;
}

void Stage::loadMovie(Clip* target, const std::string& url, Object* loader)
{
    if (target && !target->removed) {
        m_pendingLoads.push_back(PendingLoad{PendingLoad::Kind::Movie, target, -1, url, loader});
    }
}

void Stage::loadMovieNum(int level, const std::string& url, Object* loader)
{
    m_pendingLoads.push_back(PendingLoad{PendingLoad::Kind::Movie, nullptr, level, url, loader});
}

void Stage::loadVariables(Clip* target, const std::string& url)
{
    m_pendingLoads.push_back(PendingLoad{PendingLoad::Kind::Variables, target, -1, url, nullptr});
}

void Stage::loadData(Object* receiver, const std::string& url)
{
    m_pendingLoads.push_back(PendingLoad{PendingLoad::Kind::Data, nullptr, -1, url, receiver});
}

void Stage::unloadMovie(Clip* target)
{
    if (target && !target->removed) {
        clearContent(target);
    }
}

void Stage::unloadMovieNum(int number)
{
    Clip* clip = level(number);
    if (!clip) {
        return;
    }
    if (number == 0) {
        clearContent(clip);
        return;
    }
    unloadTree(clip);
    m_levels.erase(number);
}

void Stage::clearContent(Clip* clip)
{
    for (Clip* child : clip->children) {
        unloadTree(child);
    }
    clip->children.clear();
    static const ScriptTimeline empty;
    clip->timeline = &empty;
    clip->characterId = 0;
    clip->frame = 0;
    clip->clipActions = nullptr;
    clip->bitmap.reset();
    clip->loaded.reset();
    clip->movie = clip->parent ? clip->parent->movie : nullptr;
    for (const std::string& name : clip->allOwnNames()) {
        if (name != "__proto__") {
            clip->remove(*m_machine, name);
        }
    }
}

std::vector<Clip*> Stage::startPendingLoads()
{
    std::vector<PendingLoad> loads;
    loads.swap(m_pendingLoads);
    std::vector<Clip*> playing;
    for (const PendingLoad& load : loads) {
        Clip* target = finishLoad(load);
        if (target && target->movie && target->loaded) {
            playing.push_back(target);
        }
    }
    return playing;
}

Clip* Stage::finishLoad(const PendingLoad& load)
{
    Clip* target = load.target;
    if (target && target->removed) {
        return nullptr;
    }
    const auto bytes = readLocalFile(load.url);
    if (load.kind == PendingLoad::Kind::Data) {
        Object* receiver = load.loader;
        Value text;
        if (bytes) {
            const double size = double(bytes->size());
            receiver->set(*m_machine, "_bytesLoaded", Value(size));
            receiver->set(*m_machine, "_bytesTotal", Value(size));
            text = Value(std::string(bytes->begin(), bytes->end()));
        }
        queueTask([this, receiver, text] {
            Arguments arguments{text};
            m_machine->callMethod(Value(receiver), "onData", arguments);
        });
        return nullptr;
    }
    if (load.kind == PendingLoad::Kind::Variables) {
        if (bytes) {
            setVariables(target, *bytes);
        }
        return nullptr;
    }
    const LoadedMovie* movie = nullptr;
    std::shared_ptr<QImage> image;
    if (bytes && isMovieFile(*bytes)) {
        movie = loadedMovie(load.url, *bytes);
    } else if (bytes) {
        image = decodeLoadedImage(*bytes, budget(), load.url);
    }
    if (!movie && !image) {
        broadcastLoad(load.loader, "onLoadError",
                      {target ? Value(static_cast<Object*>(target)) : Value(),
                       Value(bytes ? "UnknownError" : "URLNotFound")});
        return nullptr;
    }
    if (!target) {
        target = level(load.level);
        if (!target) {
            target = m_machine->make<Clip>(m_machine->movieClipPrototype, *this, nullptr);
            target->level = load.level;
            m_levels[load.level] = target;
        }
    }
    const Value clip(static_cast<Object*>(target));
    const double size = double(bytes->size());
    broadcastLoad(load.loader, "onLoadStart", {clip});
    broadcastLoad(load.loader, "onLoadProgress", {clip, Value(size), Value(size)});
    clearContent(target);
    broadcastLoad(load.loader, "onLoadComplete", {clip});
    if (movie) {
        target->loaded = Clip::LoadedContent{addressOf(load.url), bytes->size(),
                                             movie->definition->header().version};
        startLoadedMovie(target, *movie);
    } else {
        target->bitmap = std::move(image);
        target->loaded = Clip::LoadedContent{addressOf(load.url), bytes->size(), -1};
    }
    if (load.loader) {
        m_awaitingInit.emplace_back(load.loader, target);
    }
    return target;
}

void Stage::setVariables(Clip* target, const std::vector<std::uint8_t>& bytes)
{
    for (const auto& [name, value] : urlEncodedVariables(bytes)) {
        target->set(*m_machine, name, Value(value));
    }
    queueEvent(target, kEventData, "onData");
}

const LoadedMovie* Stage::loadedMovie(const std::string& url,
                                      const std::vector<std::uint8_t>& bytes)
{
    // Clips that scripts still hold point into a movie for as long as the
    // stage lives, so a movie loaded again is the one read before: lessons
    // that load the same file on every visit take its memory only once.
    auto& movie = m_loadedMovies[url];
    if (!movie) {
        auto read = swf::readMovie(bytes);
        auto tags =
            read ? budget().claim(std::max<std::size_t>(bytes.size(), read.value().declaredLength),
                                  "the movie " + url)
                 : std::nullopt;
        if (!tags) {
            m_loadedMovies.erase(url);
            return nullptr;
        }
        movie = std::make_unique<LoadedMovie>(
            MovieDefinition::create(std::move(read).value(), budget()), std::move(*tags));
    }
    return movie.get();
}

void Stage::startLoadedMovie(Clip* target, const LoadedMovie& movie)
{
    target->movie = &movie;
    target->timeline = &movie.root;
    target->playing = true;
    runFrameTags(target, 0, true);
}

void Stage::announceLoadedContent()
{
    std::vector<std::pair<Object*, Clip*>> loaded;
    loaded.swap(m_awaitingInit);
    for (const auto& [loader, target] : loaded) {
        broadcastLoad(loader, "onLoadInit", {Value(static_cast<Object*>(target))});
    }
}

void Stage::broadcastLoad(Object* loader, const char* event, std::vector<Value> arguments)
{
    if (!loader) {
        return;
    }
    arguments.insert(arguments.begin(), Value(event));
    queueTask([this, loader, arguments]() mutable {
        m_machine->callMethod(Value(loader), "broadcastMessage", arguments);
    });
}

std::string Stage::addressOf(const std::string& url) const
{
    const std::size_t slash = m_url.rfind('/');
    return slash == std::string::npos ? url : m_url.substr(0, slash + 1) + url;
}

const QImage* Stage::exportedBitmap(const std::string& name) const
{
    const std::optional<std::uint16_t> id = exportedCharacter(name);
    return id ? m_movie->dictionary().bitmap(*id) : nullptr;
}

Clip* Stage::attachBitmap(Clip* parent, std::shared_ptr<QImage> pixels, int depth, bool smoothing)
{
    removeAtDepth(parent, depth);
    Clip* clip = m_machine->make<Clip>(m_machine->movieClipPrototype, *this, parent);
    clip->depth = depth;
    clip->isScriptless = true;
    clip->bitmap = std::move(pixels);
    clip->smoothBitmap = smoothing;
    insertChild(parent, clip);
    return clip;
}

} // namespace quorvane::player::avm1

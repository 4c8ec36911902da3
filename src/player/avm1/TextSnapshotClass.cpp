#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace quorvane::player::avm1 {

namespace {

// The static text of a clip's own text children, in depth order, with a
// selection flag per character.
class TextSnapshotObject : public Object {
public:
    using Object::Object;

    QString text;
    std::vector<bool> selected;
};

const swf::DefineText* staticTextDefinition(const MovieDefinition& movie, std::uint16_t id)
{
    for (const swf::Tag& tag : movie.tags()) {
        if (const auto* text = std::get_if<swf::DefineText>(&tag.value); text && text->id == id) {
            return text;
        }
    }
    return nullptr;
}

QString staticTextOf(Clip* clip)
{
    QString text;
    if (!clip) {
        return text;
    }
    const MovieDefinition& movie = clip->stage.movie();
    for (const Clip* child : clip->children) {
        const swf::DefineText* definition = staticTextDefinition(movie, child->characterId);
        if (!definition) {
            continue;
        }
        const Font* font = nullptr;
        for (const swf::TextRecord& record : definition->records) {
            if (record.fontId) {
                font = movie.dictionary().font(*record.fontId);
            }
            for (const swf::GlyphEntry& glyph : record.glyphs) {
                if (font && glyph.index < font->codes.size()) {
                    text += QChar(font->codes[glyph.index]);
                }
            }
        }
    }
    return text;
}

TextSnapshotObject* snapshotOf(const Value& self)
{
    return dynamic_cast<TextSnapshotObject*>(self.asObject());
}

// A character index argument, clamped into the text.
qsizetype indexArgument(Machine& machine, const Value& value, qsizetype length)
{
    const double number = machine.toNumber(value);
    return std::isnan(number) ? 0 : qsizetype(std::clamp(number, 0.0, double(length)));
}

// The first two arguments as a range of the text, from and to.
std::pair<qsizetype, qsizetype> rangeArguments(Machine& machine, const Arguments& arguments,
                                               qsizetype length)
{
    return {indexArgument(machine, argument(arguments, 0), length),
            indexArgument(machine, argument(arguments, 1), length)};
}

void defineMethods(Machine& m, Object* prototype)
{
    // Visible to SWF 6 and later only, yet listed by for-in in every
    // version, newest first.
    const auto define = [&](const char* name, NativeFunction::Body body) {
        prototype->define(m, name, Value(m.newFunction(std::move(body))), kFromSwf6);
    };
    define("getCount", [](Machine&, const Value& self, Arguments&) {
        auto* snapshot = snapshotOf(self);
        return snapshot ? Value(double(snapshot->text.size())) : Value();
    });
    define("setSelected", [](Machine& machine, const Value& self, Arguments& arguments) {
        if (auto* snapshot = snapshotOf(self)) {
            const qsizetype length = snapshot->text.size();
            const auto [from, to] = rangeArguments(machine, arguments, length);
            const bool select = machine.toBoolean(argument(arguments, 2));
            for (qsizetype i = from; i < to; ++i) {
                snapshot->selected[std::size_t(i)] = select;
            }
        }
        return Value();
    });
    define("getSelected", [](Machine& machine, const Value& self, Arguments& arguments) {
        auto* snapshot = snapshotOf(self);
        if (!snapshot) {
            return Value();
        }
        const qsizetype length = snapshot->text.size();
        const auto [from, to] = rangeArguments(machine, arguments, length);
        return Value(std::any_of(snapshot->selected.begin() + from,
                                 snapshot->selected.begin() + std::max(from, to),
                                 [](bool selected) { return selected; }));
    });
    define("getText", [](Machine& machine, const Value& self, Arguments& arguments) {
        auto* snapshot = snapshotOf(self);
        if (!snapshot) {
            return Value();
        }
        const qsizetype length = snapshot->text.size();
        const auto [from, to] = rangeArguments(machine, arguments, length);
        return Value(snapshot->text.mid(from, std::max<qsizetype>(0, to - from)).toStdString());
    });
    define("getSelectedText", [](Machine&, const Value& self, Arguments&) {
        auto* snapshot = snapshotOf(self);
        if (!snapshot) {
            return Value();
        }
        QString text;
        for (qsizetype i = 0; i < snapshot->text.size(); ++i) {
            if (snapshot->selected[std::size_t(i)]) {
                text += snapshot->text[i];
            }
        }
        return Value(text.toStdString());
    });
    define("hitTestTextNearPos", [](Machine&, const Value& self, Arguments&) {
        return snapshotOf(self) ? Value(-1.0) : Value();
    });
    define("findText", [](Machine& machine, const Value& self, Arguments& arguments) {
        auto* snapshot = snapshotOf(self);
        if (!snapshot) {
            return Value();
        }
        const qsizetype from =
            indexArgument(machine, argument(arguments, 0), snapshot->text.size());
        const QString wanted = QString::fromStdString(machine.toString(argument(arguments, 1)));
        const bool caseSensitive = machine.toBoolean(argument(arguments, 2));
        return Value(double(snapshot->text.indexOf(
            wanted, from, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive)));
    });
    // Static text carries no positions that scripts can reach here: no
    // character is ever near a point.
    define("setSelectColor", [](Machine&, const Value&, Arguments&) { return Value(); });
    define("getTextRunInfo", [](Machine& machine, const Value& self, Arguments&) {
        return snapshotOf(self) ? Value(machine.newArray()) : Value();
    });
    // Selected static text is not highlighted when drawn, so its colour has no use.
}

} // namespace

void installTextSnapshotClass(Machine& m)
{
    Object* prototype = m.newObject();
    NativeFunction* constructor = m.newClass(
        prototype, [](Machine&, const Value&, Arguments&) { return Value(); },
        [prototype](Machine& machine, const Value&, Arguments& arguments) {
            auto* snapshot = machine.make<TextSnapshotObject>(prototype);
            snapshot->text = staticTextOf(dynamic_cast<Clip*>(argument(arguments, 0).asObject()));
            snapshot->selected.assign(std::size_t(snapshot->text.size()), false);
            return Value(static_cast<Object*>(snapshot));
        });
    m.global()->define(m, "TextSnapshot", Value(constructor), kDontEnum);
    defineMethods(m, prototype);
    // Through whatever _global.TextSnapshot is when called, as Flash does.
    m.method(m.movieClipPrototype, "getTextSnapshot",
             [](Machine& machine, const Value& self, Arguments&) {
                 auto* clip = dynamic_cast<Clip*>(self.asObject());
                 auto* snapshotClass = dynamic_cast<Function*>(
                     machine.global()->get(machine, "TextSnapshot").asObject());
                 if (!clip || clip->removed || !snapshotClass) {
                     return Value();
                 }
                 Arguments arguments{Value(static_cast<Object*>(clip))};
                 return snapshotClass->construct(machine, arguments);
             });
}

} // namespace quorvane::player::avm1

#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"
#include "player/avm1/TextField.h"
#include "player/avm1/TextFieldVariable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace quorvane::player::avm1 {

namespace {

Clip* fieldClipOf(const Value& self)
{
    auto* clip = dynamic_cast<Clip*>(self.asObject());
    return clip && !clip->removed && clip->textField ? clip : nullptr;
}

// Colours as scripts see them: a 0xRRGGBB number, always opaque.
swf::Rgba opaqueColor(Machine& machine, const Value& value)
{
    const auto rgb = std::uint32_t(machine.toInt32(value));
    return swf::Rgba{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

Value rgbNumber(swf::Rgba color)
{
    return Value(double((color.r << 16) | (color.g << 8) | color.b));
}

TextField* fieldOf(const Value& self)
{
    Clip* clip = fieldClipOf(self);
    return clip ? clip->textField.get() : nullptr;
}

// The field with its variable's current value taken in.
TextField* currentFieldOf(Machine& machine, const Value& self)
{
    Clip* clip = fieldClipOf(self);
    if (!clip) {
        return nullptr;
    }
    readTextFieldVariable(machine, *clip);
    return clip->textField.get();
}

const char* alignText(swf::TextAlign align)
{
    switch (align) {
    case swf::TextAlign::Right:
        return "right";
    case swf::TextAlign::Center:
        return "center";
    case swf::TextAlign::Justify:
        return "justify";
    case swf::TextAlign::Left:
        break;
    }
    return "left";
}

std::optional<swf::TextAlign> alignFromText(const std::string& text)
{
    if (text == "left") {
        return swf::TextAlign::Left;
    }
    if (text == "right") {
        return swf::TextAlign::Right;
    }
    if (text == "center") {
        return swf::TextAlign::Center;
    }
    if (text == "justify") {
        return swf::TextAlign::Justify;
    }
    return std::nullopt;
}

double pixels(double twips)
{
    return twips / swf::kTwipsPerPixel;
}

// A property the characters share, or null where they differ.
template <class Read>
Value shared(const std::vector<TextField::CharacterFormat>& formats, Read read)
{
    const Value first = read(formats.front());
    for (const TextField::CharacterFormat& format : formats) {
        if (!(read(format) == first)) {
            return Value(Null{});
        }
    }
    return first;
}

// A TextFormat object describing characters of the field.
Value formatObject(Machine& machine, const TextField& field,
                   const std::vector<TextField::CharacterFormat>& formats)
{
    Arguments none;
    auto* constructor =
        dynamic_cast<Function*>(machine.global()->get(machine, "TextFormat").asObject());
    Object* object = constructor ? constructor->construct(machine, none).asObject() : nullptr;
    if (!object || formats.empty()) {
        return Value(object);
    }
    using Character = TextField::CharacterFormat;
    const auto set = [&](const char* name, auto read) {
        object->set(machine, name, shared(formats, read));
    };
    set("font", [](const Character& c) { return Value(c.format.face.toStdString()); });
    set("size", [](const Character& c) { return Value(pixels(c.format.size)); });
    set("color", [](const Character& c) { return rgbNumber(c.format.color); });
    set("bold", [](const Character& c) { return Value(c.format.bold); });
    set("italic", [](const Character& c) { return Value(c.format.italic); });
    set("underline", [](const Character& c) { return Value(c.format.underline); });
    set("kerning", [](const Character& c) { return Value(c.format.kerning); });
    set("url", [](const Character& c) { return Value(c.format.url.toStdString()); });
    set("align", [](const Character& c) { return Value(alignText(c.align)); });
    const swf::EditTextLayout layout = field.definition().layout.value_or(swf::EditTextLayout{});
    object->set(machine, "target", Value(""));
    object->set(machine, "leftMargin", Value(pixels(layout.leftMargin)));
    object->set(machine, "rightMargin", Value(pixels(layout.rightMargin)));
    object->set(machine, "indent", Value(pixels(layout.indent)));
    object->set(machine, "leading", Value(pixels(layout.leading)));
    object->set(machine, "blockIndent", Value(0.0));
    object->set(machine, "bullet", Value(false));
    object->set(machine, "letterSpacing", Value(0.0));
    object->set(machine, "tabStops", Value(machine.newArray()));
    return Value(object);
}

// Twips from a pixel count a script gave, or nothing when it is no number.
// Counts beyond what the field's tag can hold stop at its bounds.
template <class T> std::optional<T> twipsOf(Machine& machine, const Value& value)
{
    const double number = machine.toNumber(value);
    if (value.isNullish() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return T(std::clamp(std::round(number * swf::kTwipsPerPixel),
                        double(std::numeric_limits<T>::min()),
                        double(std::numeric_limits<T>::max())));
}

// The TextFormat's set properties (null and undefined ones leave the field
// alone) become the field's.
void applyFormat(Machine& machine, TextField& field, Object* format)
{
    swf::DefineEditText& definition = field.definition();
    swf::EditTextLayout layout = definition.layout.value_or(swf::EditTextLayout{});
    if (const Value font = format->get(machine, "font"); !font.isNullish()) {
        field.setFontName(machine.toString(font));
    }
    if (const auto size = twipsOf<std::uint16_t>(machine, format->get(machine, "size"))) {
        definition.fontHeight = *size;
    }
    if (const Value color = format->get(machine, "color"); !color.isNullish()) {
        definition.textColor = opaqueColor(machine, color);
    }
    if (const Value align = format->get(machine, "align"); !align.isNullish()) {
        layout.align = alignFromText(machine.toString(align)).value_or(layout.align);
    }
    layout.leftMargin = twipsOf<std::uint16_t>(machine, format->get(machine, "leftMargin"))
                            .value_or(layout.leftMargin);
    layout.rightMargin = twipsOf<std::uint16_t>(machine, format->get(machine, "rightMargin"))
                             .value_or(layout.rightMargin);
    layout.indent =
        twipsOf<std::int16_t>(machine, format->get(machine, "indent")).value_or(layout.indent);
    layout.leading =
        twipsOf<std::int16_t>(machine, format->get(machine, "leading")).value_or(layout.leading);
    definition.layout = layout;
}

// A property of the field kept in its definition.
struct FlagAccessor {
    const char* name;
    bool swf::DefineEditText::*flag;
};

constexpr FlagAccessor kFlags[] = {
    {"multiline", &swf::DefineEditText::multiline},    {"wordWrap", &swf::DefineEditText::wordWrap},
    {"embedFonts", &swf::DefineEditText::useOutlines}, {"password", &swf::DefineEditText::password},
    {"selectable", &swf::DefineEditText::noSelect},
};

void defineAccessor(Machine& m, Object* prototype, const char* name, NativeFunction::Body getter,
                    NativeFunction::Body setter)
{
    prototype->defineAccessor(m, name, m.newFunction(std::move(getter)),
                              m.newFunction(std::move(setter)));
}

// The background and border: each shown or not, each with a colour kept
// while it is hidden.
struct FramePart {
    const char* shownName;
    const char* colorName;
    bool EditTextFrame::*shown;
    swf::Rgba EditTextFrame::*color;
};

constexpr FramePart kFrameParts[] = {
    {"background", "backgroundColor", &EditTextFrame::background, &EditTextFrame::backgroundColor},
    {"border", "borderColor", &EditTextFrame::border, &EditTextFrame::borderColor},
};

void defineFrameProperties(Machine& m, Object* prototype)
{
    for (const FramePart& part : kFrameParts) {
        const auto shown = part.shown;
        const auto color = part.color;
        defineAccessor(
            m, prototype, part.shownName,
            [shown](Machine&, const Value& self, Arguments&) {
                TextField* field = fieldOf(self);
                return field ? Value(std::as_const(*field).frame().*shown) : Value();
            },
            [shown](Machine& machine, const Value& self, Arguments& arguments) {
                if (TextField* field = fieldOf(self)) {
                    field->frame().*shown = machine.toBoolean(argument(arguments, 0));
                }
                return Value();
            });
        defineAccessor(
            m, prototype, part.colorName,
            [color](Machine&, const Value& self, Arguments&) {
                TextField* field = fieldOf(self);
                return field ? rgbNumber(std::as_const(*field).frame().*color) : Value();
            },
            [color](Machine& machine, const Value& self, Arguments& arguments) {
                if (TextField* field = fieldOf(self)) {
                    field->frame().*color = opaqueColor(machine, argument(arguments, 0));
                }
                return Value();
            });
    }
}

void defineProperties(Machine& m, Object* prototype)
{
    defineFrameProperties(m, prototype);
    for (const FlagAccessor& accessor : kFlags) {
        // selectable reads the opposite of the format's noSelect.
        const bool inverted = accessor.flag == &swf::DefineEditText::noSelect;
        const auto flag = accessor.flag;
        defineAccessor(
            m, prototype, accessor.name,
            [flag, inverted](Machine&, const Value& self, Arguments&) {
                TextField* field = fieldOf(self);
                return field ? Value(field->definition().*flag != inverted) : Value();
            },
            [flag, inverted](Machine& machine, const Value& self, Arguments& arguments) {
                if (TextField* field = fieldOf(self)) {
                    field->definition().*flag =
                        machine.toBoolean(argument(arguments, 0)) != inverted;
                }
                return Value();
            });
    }
    // "input" fields take typing and the tab order; "dynamic" ones are read-only.
    defineAccessor(
        m, prototype, "type",
        [](Machine&, const Value& self, Arguments&) {
            const TextField* field = fieldOf(self);
            return field ? Value(std::string(field->definition().readOnly ? "dynamic" : "input"))
                         : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            TextField* field = fieldOf(self);
            const std::string type = machine.toString(argument(arguments, 0));
            if (field && (type == "input" || type == "dynamic")) {
                field->definition().readOnly = type == "dynamic";
            }
            return Value();
        });
    defineAccessor(
        m, prototype, "html",
        [](Machine&, const Value& self, Arguments&) {
            TextField* field = fieldOf(self);
            return field ? Value(field->definition().html) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (TextField* field = fieldOf(self)) {
                field->setHtml(machine.toBoolean(argument(arguments, 0)));
            }
            return Value();
        });
    defineAccessor(
        m, prototype, "text",
        [](Machine& machine, const Value& self, Arguments&) {
            TextField* field = currentFieldOf(machine, self);
            return field ? Value(field->text()) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Clip* clip = fieldClipOf(self)) {
                const std::string text = machine.toString(argument(arguments, 0));
                clip->textField->setText(text);
                writeTextFieldVariable(machine, *clip, text);
            }
            return Value();
        });
    defineAccessor(
        m, prototype, "variable",
        [](Machine&, const Value& self, Arguments&) {
            TextField* field = fieldOf(self);
            if (!field) {
                return Value();
            }
            return field->variable.empty() ? Value(Null{}) : Value(field->variable);
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Clip* clip = fieldClipOf(self)) {
                const Value name = argument(arguments, 0);
                clip->textField->variable = name.isNullish() ? "" : machine.toString(name);
                clip->textField->restoreInitialText();
                bindTextFieldVariable(machine, *clip);
            }
            return Value();
        });
    defineAccessor(
        m, prototype, "htmlText",
        [](Machine& machine, const Value& self, Arguments&) {
            TextField* field = currentFieldOf(machine, self);
            if (!field) {
                return Value();
            }
            return Value(field->definition().html ? field->htmlText() : field->text());
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Clip* clip = fieldClipOf(self)) {
                const std::string text = machine.toString(argument(arguments, 0));
                // Markup counts only in an HTML field; elsewhere it is text.
                if (clip->textField->definition().html) {
                    clip->textField->setHtmlText(text);
                } else {
                    clip->textField->setText(text);
                }
                writeTextFieldVariable(machine, *clip, text);
            }
            return Value();
        });
    const auto measure = [&](const char* name, double TextBlock::*extent) {
        defineAccessor(
            m, prototype, name,
            [extent](Machine& machine, const Value& self, Arguments&) {
                TextField* field = currentFieldOf(machine, self);
                return field ? Value(std::round(pixels(field->layout().*extent))) : Value();
            },
            [](Machine&, const Value&, Arguments&) { return Value(); });
    };
    measure("textWidth", &TextBlock::textWidth);
    measure("textHeight", &TextBlock::textHeight);
}

void defineMethods(Machine& m, Object* prototype)
{
    // No arguments: the whole text; one: that character; two: the range.
    m.method(
        prototype, "getTextFormat", [](Machine& machine, const Value& self, Arguments& arguments) {
            TextField* field = fieldOf(self);
            if (!field) {
                return Value();
            }
            const double length = double(field->length());
            const double begin = arguments.empty() ? 0 : machine.toNumber(argument(arguments, 0));
            double end = arguments.size() < 2 ? (arguments.empty() ? length : begin + 1)
                                              : machine.toNumber(argument(arguments, 1));
            if (std::isnan(begin) || std::isnan(end)) {
                return Value();
            }
            end = std::min(end, length);
            auto formats = field->formatsBetween(qsizetype(std::clamp(begin, 0.0, length)),
                                                 qsizetype(std::max(end, 0.0)));
            if (formats.empty()) {
                formats.push_back(field->newTextFormat());
            }
            return formatObject(machine, *field, formats);
        });
    m.method(prototype, "getNewTextFormat", [](Machine& machine, const Value& self, Arguments&) {
        TextField* field = fieldOf(self);
        return field ? formatObject(machine, *field, {field->newTextFormat()}) : Value();
    });
    // The format goes last; its range arguments, if any, come before it.
    const auto setFormat = [](Machine& machine, const Value& self, Arguments& arguments) {
        TextField* field = fieldOf(self);
        Object* format = arguments.empty() ? nullptr : arguments.back().asObject();
        if (field && format) {
            applyFormat(machine, *field, format);
        }
        return Value();
    };
    m.method(prototype, "setTextFormat", setFormat);
    m.method(prototype, "setNewTextFormat", setFormat);
}

} // namespace

void installTextFieldClass(Machine& m)
{
    defineProperties(m, m.textFieldPrototype);
    defineMethods(m, m.textFieldPrototype);

    m.method(m.movieClipPrototype, "createTextField",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 auto* clip = dynamic_cast<Clip*>(self.asObject());
                 double numbers[5];
                 for (std::size_t i = 0; i < 5; ++i) {
                     numbers[i] = machine.toNumber(argument(arguments, i + 1));
                     if (!std::isfinite(numbers[i])) {
                         return Value();
                     }
                 }
                 if (!clip || clip->removed) {
                     return Value();
                 }
                 // Script numbers of any size become whole twips within what a
                 // rectangle of the format holds (31-bit fields), so that the
                 // layout's widths and edges, differences of two of them, fit.
                 const auto twips = [](double pixels) {
                     constexpr double kLimit = (1 << 30) - 1;
                     return std::int32_t(
                         std::clamp(std::round(pixels * swf::kTwipsPerPixel), -kLimit, kLimit));
                 };
                 swf::DefineEditText definition;
                 definition.bounds = swf::Rect{0, twips(numbers[3]), 0, twips(numbers[4])};
                 definition.fontHeight = 12 * swf::kTwipsPerPixel;
                 definition.textColor = swf::Rgba{0, 0, 0, 255};
                 definition.initialText = std::string();
                 definition.readOnly = true;
                 Clip* made =
                     clip->stage.createTextField(clip, machine.toString(argument(arguments, 0)),
                                                 clampedInt(numbers[0]), definition);
                 made->matrix.translateX = twips(numbers[1]);
                 made->matrix.translateY = twips(numbers[2]);
                 return Value(static_cast<Object*>(made));
             });
}

void installTextFormatClass(Machine& m)
{
    static constexpr const char* kArguments[] = {
        "font",   "size",  "color",      "bold",        "italic", "underline", "url",
        "target", "align", "leftMargin", "rightMargin", "indent", "leading"};
    static constexpr const char* kOthers[] = {"blockIndent", "bullet", "kerning", "letterSpacing",
                                              "tabStops"};
    Object* prototype = m.newObject();
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine& machine, const Value& self, Arguments& arguments) {
            Object* format = self.asObject();
            if (!format) {
                return Value();
            }
            for (std::size_t i = 0; i < std::size(kArguments); ++i) {
                const Value given = argument(arguments, i);
                format->set(machine, kArguments[i], given.isUndefined() ? Value(Null{}) : given);
            }
            for (const char* name : kOthers) {
                format->set(machine, name, Value(Null{}));
            }
            return Value();
        });
    m.global()->define(m, "TextFormat", Value(constructor), kDontEnum);
}

} // namespace quorvane::player::avm1

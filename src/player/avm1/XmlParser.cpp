#include "player/avm1/XmlParser.h"

#include "player/avm1/Utf8.h"

#include <cstdint>

namespace quorvane::player::avm1 {

namespace {

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool allWhite(std::string_view text)
{
    for (char c : text) {
        if (!isWhite(c)) {
            return false;
        }
    }
    return true;
}

// The code point a numeric reference's digits name, or nothing.
bool numericReference(std::string_view digits, std::uint32_t& codePoint)
{
    int base = 10;
    if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.size() > 8) {
        return false;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return false;
        }
        value = value * std::uint32_t(base) + std::uint32_t(digit);
    }
    if (value == 0 || value > 0x10ffff) {
        return false;
    }
    codePoint = value;
    return true;
}

class Parser {
public:
    Parser(std::string_view text, bool ignoreWhite) : m_text(text), m_ignoreWhite(ignoreWhite) {}

    XmlParsed run()
    {
        while (m_at < m_text.size() && m_result.status == XmlParsed::kOk) {
            if (m_text[m_at] == '<') {
                markup();
            } else {
                const std::size_t end = std::min(m_text.find('<', m_at), m_text.size());
                addText(unescapeXml(m_text.substr(m_at, end - m_at)), false);
                m_at = end;
            }
        }
        if (m_result.status == XmlParsed::kOk && m_open >= 0) {
            m_result.status = XmlParsed::kMissingEndTag;
        }
        return std::move(m_result);
    }

private:
    bool startsWith(std::string_view prefix) const
    {
        return m_text.substr(m_at, prefix.size()) == prefix;
    }

    // The text up to the terminator, the parser past it; false when the
    // terminator never comes.
    bool through(std::string_view terminator, std::string_view& inside)
    {
        const std::size_t end = m_text.find(terminator, m_at);
        if (end == std::string_view::npos) {
            return false;
        }
        inside = m_text.substr(m_at, end - m_at);
        m_at = end + terminator.size();
        return true;
    }

    void fail(int status) { m_result.status = status; }

    void markup()
    {
        const std::size_t start = m_at;
        std::string_view inside;
        if (startsWith("<!--")) {
            m_at += 4;
            if (!through("-->", inside)) {
                fail(XmlParsed::kUnterminatedComment);
            }
        } else if (startsWith("<![CDATA[")) {
            m_at += 9;
            if (!through("]]>", inside)) {
                fail(XmlParsed::kUnterminatedCdata);
                return;
            }
            addText(std::string(inside), true);
        } else if (startsWith("<!")) {
            if (!through(">", inside)) {
                fail(XmlParsed::kUnterminatedDocType);
                return;
            }
            m_result.docTypeDecl = std::string(m_text.substr(start, m_at - start));
            m_result.hasDocTypeDecl = true;
        } else if (startsWith("<?")) {
            if (!through("?>", inside)) {
                fail(XmlParsed::kUnterminatedXmlDecl);
                return;
            }
            m_result.xmlDecl = std::string(m_text.substr(start, m_at - start));
            m_result.hasXmlDecl = true;
        } else if (startsWith("</")) {
            endTag();
        } else {
            startTag();
        }
    }

    std::string_view name(std::string_view stops)
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && !isWhite(m_text[m_at]) &&
               stops.find(m_text[m_at]) == std::string_view::npos) {
            ++m_at;
        }
        return m_text.substr(start, m_at - start);
    }

    void skipWhite()
    {
        while (m_at < m_text.size() && isWhite(m_text[m_at])) {
            ++m_at;
        }
    }

    void endTag()
    {
        m_at += 2;
        const std::string_view closed = name(">");
        skipWhite();
        if (m_at >= m_text.size() || m_text[m_at] != '>') {
            fail(XmlParsed::kMalformedElement);
            return;
        }
        ++m_at;
        if (m_open < 0 || m_result.nodes[std::size_t(m_open)].text != closed) {
            fail(XmlParsed::kUnmatchedEndTag);
            return;
        }
        m_open = m_result.nodes[std::size_t(m_open)].parent;
    }

    void startTag()
    {
        ++m_at;
        XmlParsed::Node element;
        element.text = std::string(name("/>"));
        if (element.text.empty()) {
            fail(XmlParsed::kMalformedElement);
            return;
        }
        for (;;) {
            skipWhite();
            if (m_at >= m_text.size()) {
                fail(XmlParsed::kMalformedElement);
                return;
            }
            const char c = m_text[m_at];
            if (c == '>' || (c == '/' && startsWith("/>"))) {
                m_at += c == '>' ? 1 : 2;
                const bool empty = c == '/';
                element.parent = m_open;
                m_result.nodes.push_back(std::move(element));
                if (!empty) {
                    m_open = int(m_result.nodes.size() - 1);
                }
                return;
            }
            const std::string_view attribute = name("=/>");
            skipWhite();
            if (attribute.empty() || m_at >= m_text.size() || m_text[m_at] != '=') {
                fail(XmlParsed::kMalformedElement);
                return;
            }
            ++m_at;
            skipWhite();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\'')) {
                fail(XmlParsed::kMalformedElement);
                return;
            }
            const char quote[2] = {m_text[m_at++], 0};
            std::string_view value;
            if (!through(quote, value)) {
                fail(XmlParsed::kUnterminatedAttribute);
                return;
            }
            // A name given twice keeps its first value.
            bool known = false;
            for (const auto& [existing, _] : element.attributes) {
                known = known || existing == attribute;
            }
            if (!known) {
                element.attributes.emplace_back(std::string(attribute), unescapeXml(value));
            }
        }
    }

    void addText(std::string text, bool cdata)
    {
        if (text.empty() || (m_ignoreWhite && !cdata && allWhite(text))) {
            return;
        }
        XmlParsed::Node node;
        node.kind = XmlParsed::Kind::Text;
        node.text = std::move(text);
        node.parent = m_open;
        m_result.nodes.push_back(std::move(node));
    }

    std::string_view m_text;
    bool m_ignoreWhite;
    std::size_t m_at = 0;
    // The element whose content is being read; -1 at the top level.
    int m_open = -1;
    XmlParsed m_result;
};

} // namespace

XmlParsed parseXml(std::string_view text, bool ignoreWhite)
{
    return Parser(text, ignoreWhite).run();
}

std::string unescapeXml(std::string_view text)
{
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
    };
    std::string result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t amp = text.find('&', at);
        if (amp == std::string_view::npos) {
            break;
        }
        result.append(text.substr(at, amp - at));
        at = amp + 1;
        const std::size_t semicolon = text.find(';', at);
        if (semicolon == std::string_view::npos) {
            result += '&';
            continue;
        }
        const std::string_view reference = text.substr(at, semicolon - at);
        bool resolved = false;
        for (const auto& [entity, character] : kNamed) {
            if (reference == entity) {
                result += character;
                resolved = true;
                break;
            }
        }
        std::uint32_t codePoint = 0;
        if (!resolved && reference.size() > 1 && reference[0] == '#' &&
            numericReference(reference.substr(1), codePoint)) {
            result += codePointText(codePoint);
            resolved = true;
        }
        if (resolved) {
            at = semicolon + 1;
        } else {
            // Not a reference: the ampersand stays, and what follows is
            // read again, as it may hold a reference of its own.
            result += '&';
        }
    }
    result.append(text.substr(at));
    return result;
}

std::string escapeXml(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        case '\'':
            result += "&apos;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

} // namespace quorvane::player::avm1

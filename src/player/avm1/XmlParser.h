#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane::player::avm1 {

// XML text read as Flash Player reads it for the XML class: leniently,
// stopping at the first fault and keeping what came before it, with the
// fault given as XML.status reports it. Comments are dropped; CDATA turns
// into text that is not unescaped.
struct XmlParsed {
    enum class Kind { Element, Text };
    struct Node {
        Kind kind = Kind::Element;
        // An element's name, or a text's content (entities already resolved).
        std::string text;
        // In the order the tag gives them.
        std::vector<std::pair<std::string, std::string>> attributes;
        // Into nodes; -1 for the document's top level. Children follow
        // their parent in document order.
        int parent = -1;
    };

    // XML.status's codes.
    enum Status {
        kOk = 0,
        kUnterminatedCdata = -2,
        kUnterminatedXmlDecl = -3,
        kUnterminatedDocType = -4,
        kUnterminatedComment = -5,
        kMalformedElement = -6,
        kUnterminatedAttribute = -8,
        kMissingEndTag = -9,
        kUnmatchedEndTag = -10,
    };

    // Every node in document order, held flat so that deep documents take
    // no stack to build or drop.
    std::vector<Node> nodes;
    int status = kOk;
    // The <?...?> and <!DOCTYPE ...> texts as written; empty when absent.
    std::string xmlDecl;
    std::string docTypeDecl;
    bool hasXmlDecl = false;
    bool hasDocTypeDecl = false;
};

// ignoreWhite drops text nodes that are white space only.
XmlParsed parseXml(std::string_view text, bool ignoreWhite);

// &amp; &lt; &gt; &quot; &apos; and &#N; &#xN; resolved; other
// references are left as written.
std::string unescapeXml(std::string_view text);
// The five characters XML gives names to, written as those names.
std::string escapeXml(std::string_view text);

} // namespace quorvane::player::avm1

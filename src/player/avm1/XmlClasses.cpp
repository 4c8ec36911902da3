// XMLNode and XML: a tree of nodes that scripts build, walk and write out,
// and documents parsed from text or loaded from the movie's folder.

#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"
#include "player/avm1/XmlParser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane::player::avm1 {

namespace {

constexpr int kElementNode = 1;
constexpr int kTextNode = 3;

// One node. The tree lives in the nodes themselves; childNodes is an array
// kept in step with it, which scripts may also change as any array.
class XmlNode : public Object {
public:
    using Object::Object;

    int type = kElementNode;
    Value name = Value(Null{});
    Value value = Value(Null{});
    Object* attributes = nullptr;
    ArrayObject* childArray = nullptr;
    XmlNode* parent = nullptr;
    std::vector<XmlNode*> children;

    // What only documents (XML objects) use.
    bool document = false;
    Value status = Value(0);
    Value loaded;
    Value xmlDecl;
    Value docTypeDecl;
    bool ignoreWhite = false;
    Object* idMap = nullptr;
};

XmlNode* nodeOf(const Value& value)
{
    return dynamic_cast<XmlNode*>(value.asObject());
}

XmlNode* newNode(Machine& machine, Object* prototype, int type)
{
    auto* node = machine.make<XmlNode>(prototype);
    node->type = type;
    node->attributes = machine.newObject();
    node->childArray = machine.newArray();
    return node;
}

void detach(XmlNode* node)
{
    XmlNode* parent = node->parent;
    if (!parent) {
        return;
    }
    std::erase(parent->children, node);
    auto& elements = parent->childArray->elements;
    const auto listed = std::find(elements.begin(), elements.end(), Value(node));
    if (listed != elements.end()) {
        elements.erase(listed);
    }
    node->parent = nullptr;
}

// Whether node is candidate or lies below it: such a node cannot take the
// candidate as a child, or the tree would hold itself.
bool within(const XmlNode* node, const XmlNode* candidate)
{
    for (const XmlNode* at = node; at; at = at->parent) {
        if (at == candidate) {
            return true;
        }
    }
    return false;
}

void insertChild(XmlNode* parent, XmlNode* child, XmlNode* before)
{
    if (child == before || within(parent, child)) {
        return;
    }
    detach(child);
    child->parent = parent;
    auto& elements = parent->childArray->elements;
    const auto place = std::find(parent->children.begin(), parent->children.end(), before);
    const auto listed =
        before ? std::find(elements.begin(), elements.end(), Value(before)) : elements.end();
    parent->children.insert(place, child);
    elements.insert(listed, Value(child));
}

// Own enumerable names in the order they were made.
std::vector<std::string> attributeNames(Machine& machine, Object* attributes)
{
    std::vector<std::string> names = attributes->ownKeys(machine);
    std::reverse(names.begin(), names.end());
    return names;
}

void writeOpenTag(Machine& machine, const XmlNode* node, std::string& out)
{
    machine.append(out, "<");
    machine.append(out, machine.toString(node->name));
    for (const std::string& attribute : attributeNames(machine, node->attributes)) {
        machine.append(out, " ");
        machine.append(out, attribute);
        machine.append(out, "=\"");
        machine.append(out, escapeXml(machine.toString(node->attributes->get(machine, attribute))));
        machine.append(out, "\"");
    }
}

// The node written out as Flash writes it: elements with their attributes,
// "<name />" when empty, text escaped; a nameless element is only its
// children. Walks with its own stack, as documents may nest deeply.
std::string serialise(Machine& machine, XmlNode* root)
{
    std::string out;
    if (root->document) {
        if (root->xmlDecl.isString()) {
            machine.append(out, root->xmlDecl.asString());
        }
        if (root->docTypeDecl.isString()) {
            machine.append(out, root->docTypeDecl.asString());
        }
    }
    struct Step {
        XmlNode* node;
        std::size_t next;
    };
    std::vector<Step> path;
    auto enter = [&](XmlNode* node) {
        machine.spendAction();
        if (node->type == kTextNode) {
            machine.append(out, escapeXml(machine.toString(node->value)));
            return;
        }
        const bool named = !node->name.isNullish();
        if (named) {
            writeOpenTag(machine, node, out);
            machine.append(out, node->children.empty() ? " />" : ">");
        }
        if (!node->children.empty() || !named) {
            path.push_back(Step{node, 0});
        }
    };
    enter(root);
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next < step.node->children.size()) {
            XmlNode* child = step.node->children[step.next++];
            enter(child);
            continue;
        }
        if (!step.node->name.isNullish()) {
            machine.append(out, "</" + machine.toString(step.node->name) + ">");
        }
        path.pop_back();
    }
    return out;
}

XmlNode* cloneNode(Machine& machine, XmlNode* source, bool deep)
{
    auto copyOne = [&machine](XmlNode* from) {
        XmlNode* copy = newNode(machine, from->prototype(), from->type);
        copy->name = from->name;
        copy->value = from->value;
        for (const std::string& attribute : attributeNames(machine, from->attributes)) {
            copy->attributes->set(machine, attribute, from->attributes->get(machine, attribute));
        }
        return copy;
    };
    XmlNode* root = copyOne(source);
    if (!deep) {
        return root;
    }
    std::vector<std::pair<XmlNode*, XmlNode*>> pending{{source, root}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (XmlNode* child : from->children) {
            machine.spendAction();
            XmlNode* copy = copyOne(child);
            insertChild(to, copy, nullptr);
            pending.emplace_back(child, copy);
        }
    }
    return root;
}

// The prefix and local part of an element's name ("a:b").
std::pair<std::string, std::string> splitName(Machine& machine, const XmlNode* node)
{
    const std::string name = machine.toString(node->name);
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) {
        return {"", name};
    }
    return {name.substr(0, colon), name.substr(colon + 1)};
}

// The URI the nearest xmlns declaration gives the prefix, or null.
Value namespaceFor(Machine& machine, const XmlNode* node, const std::string& prefix)
{
    const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (const XmlNode* at = node; at; at = at->parent) {
        if (at->attributes->hasOwn(machine, attribute)) {
            return at->attributes->get(machine, attribute);
        }
    }
    return Value(Null{});
}

Value prefixFor(Machine& machine, const XmlNode* node, const std::string& uri)
{
    for (const XmlNode* at = node; at; at = at->parent) {
        for (const std::string& attribute : attributeNames(machine, at->attributes)) {
            if (attribute != "xmlns" && attribute.rfind("xmlns:", 0) != 0) {
                continue;
            }
            if (machine.toString(at->attributes->get(machine, attribute)) == uri) {
                return Value(attribute == "xmlns" ? std::string() : attribute.substr(6));
            }
        }
    }
    return Value(Null{});
}

void accessor(Machine& m, Object* prototype, const char* name, NativeFunction::Body getter,
              NativeFunction::Body setter = {})
{
    prototype->defineAccessor(m, name, m.newFunction(std::move(getter)),
                              setter ? m.newFunction(std::move(setter)) : nullptr);
}

// A getter of one node's field; null (as Flash gives) on other objects.
template <class Read> NativeFunction::Body nodeGetter(Read read)
{
    return [read](Machine& machine, const Value& self, Arguments&) -> Value {
        XmlNode* node = nodeOf(self);
        return node ? read(machine, node) : Value();
    };
}

Value nodeOrNull(XmlNode* node)
{
    return node ? Value(static_cast<Object*>(node)) : Value(Null{});
}

// The sibling at the given distance from the node, or null.
Value sibling(XmlNode* node, int offset)
{
    if (!node->parent) {
        return Value(Null{});
    }
    const auto& siblings = node->parent->children;
    const auto at = std::find(siblings.begin(), siblings.end(), node);
    const auto index = (at - siblings.begin()) + offset;
    if (index < 0 || index >= std::ptrdiff_t(siblings.size())) {
        return Value(Null{});
    }
    return Value(static_cast<Object*>(siblings[std::size_t(index)]));
}

void nodeProperties(Machine& m, Object* prototype)
{
    accessor(m, prototype, "nodeType",
             nodeGetter([](Machine&, XmlNode* node) { return Value(node->type); }));
    accessor(m, prototype, "nodeName",
             nodeGetter([](Machine&, XmlNode* node) { return node->name; }),
             [](Machine& machine, const Value& self, Arguments& a) {
                 XmlNode* node = nodeOf(self);
                 if (node && !argument(a, 0).isUndefined()) {
                     node->name = argument(a, 0).isNull() ? Value(Null{})
                                                          : Value(machine.toString(argument(a, 0)));
                 }
                 return Value();
             });
    accessor(m, prototype, "nodeValue",
             nodeGetter([](Machine&, XmlNode* node) { return node->value; }),
             [](Machine& machine, const Value& self, Arguments& a) {
                 XmlNode* node = nodeOf(self);
                 if (node && !argument(a, 0).isUndefined()) {
                     node->value = argument(a, 0).isNull()
                                       ? Value(Null{})
                                       : Value(machine.toString(argument(a, 0)));
                 }
                 return Value();
             });
    accessor(m, prototype, "attributes",
             nodeGetter([](Machine&, XmlNode* node) { return Value(node->attributes); }));
    accessor(m, prototype, "childNodes", nodeGetter([](Machine&, XmlNode* node) {
                 return Value(static_cast<Object*>(node->childArray));
             }));
    accessor(m, prototype, "parentNode",
             nodeGetter([](Machine&, XmlNode* node) { return nodeOrNull(node->parent); }));
    accessor(m, prototype, "firstChild", nodeGetter([](Machine&, XmlNode* node) {
                 return nodeOrNull(node->children.empty() ? nullptr : node->children.front());
             }));
    accessor(m, prototype, "lastChild", nodeGetter([](Machine&, XmlNode* node) {
                 return nodeOrNull(node->children.empty() ? nullptr : node->children.back());
             }));
    accessor(m, prototype, "previousSibling",
             nodeGetter([](Machine&, XmlNode* node) { return sibling(node, -1); }));
    accessor(m, prototype, "nextSibling",
             nodeGetter([](Machine&, XmlNode* node) { return sibling(node, 1); }));
    accessor(m, prototype, "prefix", nodeGetter([](Machine& machine, XmlNode* node) {
                 return node->name.isNullish() ? Value(Null{})
                                               : Value(splitName(machine, node).first);
             }));
    accessor(m, prototype, "localName", nodeGetter([](Machine& machine, XmlNode* node) {
                 return node->name.isNullish() ? Value(Null{})
                                               : Value(splitName(machine, node).second);
             }));
    accessor(m, prototype, "namespaceURI", nodeGetter([](Machine& machine, XmlNode* node) {
                 if (node->name.isNullish()) {
                     return Value(Null{});
                 }
                 const Value uri = namespaceFor(machine, node, splitName(machine, node).first);
                 return uri.isNull() ? Value(std::string()) : uri;
             }));
}

void nodeMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "appendChild", [](Machine&, const Value& self, Arguments& a) {
        XmlNode* node = nodeOf(self);
        XmlNode* child = nodeOf(argument(a, 0));
        if (node && child) {
            insertChild(node, child, nullptr);
        }
        return Value();
    });
    m.method(prototype, "insertBefore", [](Machine&, const Value& self, Arguments& a) {
        XmlNode* node = nodeOf(self);
        XmlNode* child = nodeOf(argument(a, 0));
        XmlNode* before = nodeOf(argument(a, 1));
        if (node && child && before && before->parent == node) {
            insertChild(node, child, before);
        }
        return Value();
    });
    m.method(prototype, "removeNode", [](Machine&, const Value& self, Arguments&) {
        if (XmlNode* node = nodeOf(self)) {
            detach(node);
        }
        return Value();
    });
    m.method(prototype, "cloneNode", [](Machine& machine, const Value& self, Arguments& a) {
        XmlNode* node = nodeOf(self);
        return node ? Value(static_cast<Object*>(
                          cloneNode(machine, node, machine.toBoolean(argument(a, 0)))))
                    : Value();
    });
    m.method(prototype, "hasChildNodes", [](Machine&, const Value& self, Arguments&) {
        XmlNode* node = nodeOf(self);
        return node ? Value(!node->children.empty()) : Value();
    });
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        XmlNode* node = nodeOf(self);
        return node ? Value(serialise(machine, node)) : Value();
    });
    m.method(
        prototype, "getNamespaceForPrefix", [](Machine& machine, const Value& self, Arguments& a) {
            XmlNode* node = nodeOf(self);
            return node ? namespaceFor(machine, node, machine.toString(argument(a, 0))) : Value();
        });
    m.method(prototype, "getPrefixForNamespace",
             [](Machine& machine, const Value& self, Arguments& a) {
                 XmlNode* node = nodeOf(self);
                 return node ? prefixFor(machine, node, machine.toString(argument(a, 0))) : Value();
             });
}

// A node made by the constructors: an element named by the value, or a
// text holding it.
XmlNode* constructNode(Machine& machine, Object* prototype, const Value& type, const Value& text)
{
    const int kind = clampedInt(machine.toNumber(type));
    XmlNode* node = newNode(machine, prototype, kind);
    if (!text.isUndefined()) {
        (kind == kElementNode ? node->name : node->value) = Value(machine.toString(text));
    }
    return node;
}

// What the global class of that name holds as its prototype now, so that
// scripts that extend it are followed.
Object* classPrototype(Machine& machine, const char* name)
{
    Object* constructor = machine.global()->get(machine, name).asObject();
    Object* prototype = constructor ? constructor->get(machine, "prototype").asObject() : nullptr;
    return prototype ? prototype : machine.objectPrototype;
}

// The document's content replaced by the text's nodes; the old ones are
// left without a parent.
void parseInto(Machine& machine, XmlNode* document, const std::string& text)
{
    Object* nodePrototype = classPrototype(machine, "XMLNode");
    while (!document->children.empty()) {
        detach(document->children.back());
    }
    document->childArray->elements.clear();
    XmlParsed parsed = parseXml(text, document->ignoreWhite);
    std::vector<XmlNode*> made;
    made.reserve(parsed.nodes.size());
    for (const XmlParsed::Node& from : parsed.nodes) {
        machine.spendAction();
        const bool isText = from.kind == XmlParsed::Kind::Text;
        XmlNode* node = newNode(machine, nodePrototype, isText ? kTextNode : kElementNode);
        (isText ? node->value : node->name) = Value(from.text);
        for (const auto& [name, value] : from.attributes) {
            node->attributes->set(machine, name, Value(value));
        }
        if (document->idMap && !isText) {
            for (const auto& [name, value] : from.attributes) {
                if (name == "id") {
                    document->idMap->set(machine, value, Value(static_cast<Object*>(node)));
                }
            }
        }
        insertChild(from.parent < 0 ? document : made[std::size_t(from.parent)], node, nullptr);
        made.push_back(node);
    }
    document->status = Value(parsed.status);
    if (parsed.hasXmlDecl) {
        document->xmlDecl = Value(parsed.xmlDecl);
    }
    if (parsed.hasDocTypeDecl) {
        document->docTypeDecl = Value(parsed.docTypeDecl);
    }
}

XmlNode* documentOf(const Value& self)
{
    XmlNode* node = nodeOf(self);
    return node && node->document ? node : nullptr;
}

// XML.status keeps an integer: numbers are cut to one, and what is not a
// number becomes the least integer.
Value statusNumber(Machine& machine, const Value& value)
{
    const double number = machine.toNumber(value);
    if (std::isnan(number) || std::isinf(number)) {
        return Value(double(std::numeric_limits<std::int32_t>::min()));
    }
    return Value(double(machine.toInt32(Value(number))));
}

void documentProperties(Machine& m, Object* prototype)
{
    accessor(
        m, prototype, "status",
        [](Machine&, const Value& self, Arguments&) {
            XmlNode* document = documentOf(self);
            return document ? document->status : Value();
        },
        [](Machine& machine, const Value& self, Arguments& a) {
            if (XmlNode* document = documentOf(self)) {
                document->status = statusNumber(machine, argument(a, 0));
            }
            return Value();
        });
    accessor(
        m, prototype, "loaded",
        [](Machine&, const Value& self, Arguments&) {
            XmlNode* document = documentOf(self);
            return document ? document->loaded : Value();
        },
        [](Machine& machine, const Value& self, Arguments& a) {
            if (XmlNode* document = documentOf(self)) {
                document->loaded = Value(machine.toBoolean(argument(a, 0)));
            }
            return Value();
        });
    accessor(
        m, prototype, "ignoreWhite",
        [](Machine&, const Value& self, Arguments&) {
            XmlNode* document = documentOf(self);
            return document ? Value(document->ignoreWhite) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& a) {
            if (XmlNode* document = documentOf(self)) {
                document->ignoreWhite = machine.toBoolean(argument(a, 0));
            }
            return Value();
        });
    for (auto field : {&XmlNode::xmlDecl, &XmlNode::docTypeDecl}) {
        accessor(
            m, prototype, field == &XmlNode::xmlDecl ? "xmlDecl" : "docTypeDecl",
            [field](Machine&, const Value& self, Arguments&) {
                XmlNode* document = documentOf(self);
                return document ? document->*field : Value();
            },
            [field](Machine& machine, const Value& self, Arguments& a) {
                if (XmlNode* document = documentOf(self)) {
                    const Value given = argument(a, 0);
                    document->*field = given.isNullish() ? given : Value(machine.toString(given));
                }
                return Value();
            });
    }
    prototype->define(m, "contentType", Value("application/x-www-form-urlencoded"), kDontEnum);
}

void documentMethods(Machine& m, Object* prototype, Object* nodePrototype)
{
    m.method(prototype, "parseXML", [](Machine& machine, const Value& self, Arguments& a) {
        if (XmlNode* document = documentOf(self); document && !a.empty()) {
            parseInto(machine, document, machine.toString(a[0]));
        }
        return Value();
    });
    m.method(prototype, "createElement",
             [nodePrototype](Machine& machine, const Value&, Arguments& a) {
                 return Value(static_cast<Object*>(
                     constructNode(machine, nodePrototype, Value(kElementNode), argument(a, 0))));
             });
    m.method(prototype, "createTextNode",
             [nodePrototype](Machine& machine, const Value&, Arguments& a) {
                 return Value(static_cast<Object*>(
                     constructNode(machine, nodePrototype, Value(kTextNode), argument(a, 0))));
             });
    m.method(prototype, "getBytesLoaded", [](Machine& machine, const Value& self, Arguments&) {
        Object* object = self.asObject();
        return object ? object->get(machine, "_bytesLoaded") : Value();
    });
    m.method(prototype, "getBytesTotal", [](Machine& machine, const Value& self, Arguments&) {
        Object* object = self.asObject();
        return object ? object->get(machine, "_bytesTotal") : Value();
    });
    // The text arrives through onData, which parses it and tells onLoad;
    // scripts replace either to see the text or the outcome.
    m.method(prototype, "onData", [](Machine& machine, const Value& self, Arguments& a) {
        Object* object = self.asObject();
        if (!object) {
            return Value();
        }
        const Value text = argument(a, 0);
        Arguments outcome{Value(!text.isUndefined())};
        if (!text.isUndefined()) {
            Arguments parse{text};
            machine.callMethod(self, "parseXML", parse);
        }
        object->set(machine, "loaded", outcome[0]);
        machine.callMethod(self, "onLoad", outcome);
        return Value();
    });
    m.method(prototype, "onLoad", [](Machine&, const Value&, Arguments&) { return Value(); });
    auto load = [](Machine& machine, const Value& self, Arguments& a) {
        Object* object = self.asObject();
        Stage* stage = machine.stage();
        if (!object || a.empty() || !stage) {
            return Value(false);
        }
        object->set(machine, "loaded", Value(false));
        object->set(machine, "_bytesLoaded", Value(0));
        stage->loadData(object, machine.toString(a[0]));
        return Value(true);
    };
    m.method(prototype, "load", load);
    // No server answers: the reply is looked for as a file, as load does.
    m.method(prototype, "sendAndLoad", [load](Machine& machine, const Value&, Arguments& a) {
        if (a.size() < 2) {
            return Value(false);
        }
        Arguments forTarget{a[0]};
        return load(machine, a[1], forTarget);
    });
    m.method(prototype, "send", [](Machine&, const Value&, Arguments&) { return Value(false); });
    m.method(prototype, "addRequestHeader",
             [](Machine&, const Value&, Arguments&) { return Value(); });
}

} // namespace

void installXmlClasses(Machine& m)
{
    Object* nodePrototype = m.newObject();
    NativeFunction* nodeClass = m.newClass(
        nodePrototype, [](Machine&, const Value&, Arguments&) { return Value(); },
        [](Machine& machine, const Value&, Arguments& a) {
            return Value(static_cast<Object*>(constructNode(
                machine, classPrototype(machine, "XMLNode"), argument(a, 0), argument(a, 1))));
        });
    nodeProperties(m, nodePrototype);
    nodeMethods(m, nodePrototype);

    Object* documentPrototype = m.newObject(nodePrototype);
    NativeFunction* documentClass = m.newClass(
        documentPrototype, [](Machine&, const Value&, Arguments&) { return Value(); },
        [](Machine& machine, const Value&, Arguments& a) {
            XmlNode* document = newNode(machine, classPrototype(machine, "XML"), kElementNode);
            document->document = true;
            if (machine.version() >= 8) {
                document->idMap = machine.newObject();
                document->define(machine, "idMap", Value(document->idMap));
            }
            if (!a.empty() && !a[0].isUndefined()) {
                parseInto(machine, document, machine.toString(a[0]));
            }
            return Value(static_cast<Object*>(document));
        });
    documentProperties(m, documentPrototype);
    documentMethods(m, documentPrototype, nodePrototype);

    m.global()->define(m, "XMLNode", Value(nodeClass), kDontEnum);
    m.global()->define(m, "XML", Value(documentClass), kDontEnum);
}

} // namespace quorvane::player::avm1

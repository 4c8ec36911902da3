// XMLNode and XML through movies built in code whose scripts trace what
// they parse, build and write out.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "ScriptTraces.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

// variable = new XML(text)
void newXml(ActionScript& script, const std::string& variable, const std::string& text)
{
    script.push(variable).push(text).push(1.0).push("XML").op(A::NewObject).op(A::SetVariable);
}

// variable = new XMLNode(type, value)
void newNode(ActionScript& script, const std::string& variable, double type,
             const std::string& value)
{
    script.push(variable).push(value).push(type).push(2.0).push("XMLNode").op(A::NewObject);
    script.op(A::SetVariable);
}

// object.method(argument paths...), the result dropped.
void call(ActionScript& script, const std::string& object, const std::string& method,
          const std::vector<std::string>& argumentPaths = {})
{
    for (auto it = argumentPaths.rbegin(); it != argumentPaths.rend(); ++it) {
        pushPath(script, *it);
    }
    script.push(double(argumentPaths.size()));
    pushPath(script, object).push(method).op(A::CallMethod).op(A::Pop);
}

} // namespace

class TestXml : public QObject {
    Q_OBJECT

private slots:
    void parsingBuildsTheTreeWithReferencesResolved();
    void writingOutEscapesAndClosesEmptyElements();
    void malformedTextGivesFlashStatusCodes_data();
    void malformedTextGivesFlashStatusCodes();
    void commentsGoAndCdataStaysRaw();
    void ignoreWhiteDropsOnlyBlankText();
    void declarationsAreKeptAndWrittenFirst();
    void treeEditsKeepChildNodesInStep();
    void nodePropertiesAreAccessorsOnThePrototype();
    void statusKeepsAnInteger();
};

void TestXml::parsingBuildsTheTreeWithReferencesResolved()
{
    ActionScript script;
    newXml(script, "x", "<a v=\"1 &amp; &#x32;\">A &lt; &#39; &thing; B</a>");
    tracePath(script, "x.status");
    tracePath(script, "x.nodeName");
    tracePath(script, "x.firstChild.nodeName");
    tracePath(script, "x.firstChild.nodeType");
    tracePath(script, "x.firstChild.attributes.v");
    tracePath(script, "x.firstChild.firstChild.nodeValue");
    tracePath(script, "x.firstChild.firstChild.nodeType");
    tracePath(script, "x.firstChild.firstChild.nodeName");
    tracePath(script, "x.firstChild.parentNode.nodeName");
    QCOMPARE(traceOf(script),
             (Lines{"0", "null", "a", "1", "1 & 2", "A < ' &thing; B", "3", "null", "null"}));
}

void TestXml::writingOutEscapesAndClosesEmptyElements()
{
    ActionScript script;
    newXml(script, "x", "<a q='say \"hi\"'><b/>I'm &amp; you</a>");
    tracePath(script, "x");
    newNode(script, "t", 3, "<tag> & 'q'");
    tracePath(script, "t");
    newNode(script, "e", 1, "named");
    tracePath(script, "e");
    QCOMPARE(traceOf(script), (Lines{"<a q=\"say &quot;hi&quot;\"><b />I&apos;m &amp; you</a>",
                                     "&lt;tag&gt; &amp; &apos;q&apos;", "<named />"}));
}

void TestXml::malformedTextGivesFlashStatusCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("status");
    QTest::newRow("well formed") << "<a><b/></a>"
                                 << "0";
    QTest::newRow("unclosed element") << "<a><b></b>"
                                      << "-9";
    QTest::newRow("stray end tag") << "<a></a></b>"
                                   << "-10";
    QTest::newRow("mismatched end tag") << "<a></b>"
                                        << "-10";
    QTest::newRow("unterminated attribute") << "<a x='1></a>"
                                            << "-8";
    QTest::newRow("attribute without value") << "<a x></a>"
                                             << "-6";
    QTest::newRow("unterminated comment") << "<a><!-- x</a>"
                                          << "-5";
    QTest::newRow("unterminated cdata") << "<a><![CDATA[x</a>"
                                        << "-2";
    QTest::newRow("unterminated declaration") << "<?xml version"
                                              << "-3";
    QTest::newRow("unterminated doctype") << "<!DOCTYPE x"
                                          << "-4";
}

void TestXml::malformedTextGivesFlashStatusCodes()
{
    QFETCH(QString, text);
    QFETCH(QString, status);
    ActionScript script;
    newXml(script, "x", text.toStdString());
    tracePath(script, "x.status");
    QCOMPARE(traceOf(script), (Lines{status.toStdString()}));
}

void TestXml::commentsGoAndCdataStaysRaw()
{
    ActionScript script;
    newXml(script, "x", "<a><!-- note -->one<![CDATA[<b>&amp;]]></a>");
    tracePath(script, "x.firstChild.childNodes.length");
    tracePath(script, "x.firstChild.lastChild.nodeValue");
    tracePath(script, "x");
    QCOMPARE(traceOf(script), (Lines{"2", "<b>&amp;", "<a>one&lt;b&gt;&amp;amp;</a>"}));
}

void TestXml::ignoreWhiteDropsOnlyBlankText()
{
    ActionScript script;
    newXml(script, "x", "");
    script.push("x").op(A::GetVariable).push("ignoreWhite").pushBool(true).op(A::SetMember);
    script.push("<a> <b/>\n <c> c </c></a>").push(1.0);
    pushPath(script, "x").push("parseXML").op(A::CallMethod).op(A::Pop);
    tracePath(script, "x.firstChild.childNodes.length");
    tracePath(script, "x");
    newXml(script, "y", "<a> <b/></a>");
    tracePath(script, "y.firstChild.childNodes.length");
    QCOMPARE(traceOf(script), (Lines{"2", "<a><b /><c> c </c></a>", "2"}));
}

void TestXml::declarationsAreKeptAndWrittenFirst()
{
    ActionScript script;
    newXml(script, "x", "<?xml version=\"1.0\"?><!DOCTYPE d><d/>");
    tracePath(script, "x.xmlDecl");
    tracePath(script, "x.docTypeDecl");
    tracePath(script, "x");
    newXml(script, "y", "<d/>");
    tracePath(script, "y.xmlDecl");
    QCOMPARE(traceOf(script), (Lines{"<?xml version=\"1.0\"?>", "<!DOCTYPE d>",
                                     "<?xml version=\"1.0\"?><!DOCTYPE d><d />", "undefined"}));
}

void TestXml::treeEditsKeepChildNodesInStep()
{
    ActionScript script;
    newXml(script, "x", "<a><b/><c/></a><d/>");
    // Appending a node that has a parent moves it.
    script.push("b");
    pushPath(script, "x.firstChild.firstChild").op(A::SetVariable);
    call(script, "x.lastChild", "appendChild", {"b"});
    tracePath(script, "x");
    tracePath(script, "x.firstChild.childNodes.length");
    tracePath(script, "b.parentNode.nodeName");
    // Inserted before a sibling, and taken out again.
    call(script, "x.firstChild", "insertBefore", {"b", "x.firstChild.firstChild"});
    tracePath(script, "x");
    tracePath(script, "x.firstChild.childNodes.0.nodeName");
    tracePath(script, "b.nextSibling.nodeName");
    tracePath(script, "b.previousSibling");
    call(script, "b", "removeNode");
    tracePath(script, "x");
    tracePath(script, "x.firstChild.childNodes.length");
    tracePath(script, "b.parentNode");
    // A node cannot take its own ancestor.
    call(script, "x.firstChild.firstChild", "appendChild", {"x.firstChild"});
    tracePath(script, "x");
    // A shallow clone has no children; a deep one copies them all.
    script.push("s").push(0.0).push(1.0).push("x").op(A::GetVariable).push("firstChild");
    script.op(A::GetMember).push("cloneNode").op(A::CallMethod).op(A::SetVariable);
    tracePath(script, "s");
    script.push("s").pushBool(true).push(1.0).push("x").op(A::GetVariable).push("firstChild");
    script.op(A::GetMember).push("cloneNode").op(A::CallMethod).op(A::SetVariable);
    tracePath(script, "s");
    QCOMPARE(traceOf(script), (Lines{"<a><c /></a><d><b /></d>", "1", "d", "<a><b /><c /></a><d />",
                                     "b", "c", "null", "<a><c /></a><d />", "1", "null",
                                     "<a><c /></a><d />", "<a />", "<a><c /></a>"}));
}

void TestXml::nodePropertiesAreAccessorsOnThePrototype()
{
    ActionScript script;
    for (const char* name : {"nodeName", "childNodes", "firstChild", "attributes"}) {
        script.push(name).push(1.0);
        pushPath(script, "XMLNode.prototype").push("hasOwnProperty").op(A::CallMethod);
        script.op(A::Trace);
    }
    newNode(script, "n", 1, "e");
    script.push("nodeName").push(1.0).push("n").op(A::GetVariable).push("hasOwnProperty");
    script.op(A::CallMethod).op(A::Trace);
    // Setting an undefined name leaves the name as it was.
    script.push("n").op(A::GetVariable).push("nodeName").pushUndefined().op(A::SetMember);
    tracePath(script, "n.nodeName");
    QCOMPARE(traceOf(script), (Lines{"true", "true", "true", "true", "false", "e"}));
}

void TestXml::statusKeepsAnInteger()
{
    ActionScript script;
    newXml(script, "x", "");
    script.push("x").op(A::GetVariable).push("status").push(7.9).op(A::SetMember);
    tracePath(script, "x.status");
    script.push("x").op(A::GetVariable).push("status").push("nope").op(A::SetMember);
    tracePath(script, "x.status");
    QCOMPARE(traceOf(script), (Lines{"7", "-2147483648"}));
}

QTEST_GUILESS_MAIN(TestXml)
#include "tst_xml.moc"

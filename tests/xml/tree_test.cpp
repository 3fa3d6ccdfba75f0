// The node tree as readers see it: names, numbering, paths, texts, attributes, line numbers, and the
// look-ups, on documents parsed from memory.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "xml/my_parser.h"

namespace zz {
namespace {

TMyTreePtr Parse(const std::string& xml) { return TMyParser().parseBytes(xml); }

std::vector<std::string> Texts(TMyNodeList list) {
  std::vector<std::string> out;
  for (TMyNode* n : list) out.emplace_back(n->text());
  return out;
}

TEST(XmlTree, QualifiedNamesAreKeptAsWrittenAndNeverConfused) {
  auto root = Parse(
      "<ЕФС:Пакет xmlns:ЕФС=\"http://ef.example/1\" xmlns=\"http://ef.example/0\">"
      "<ЕФС:Код>1</ЕФС:Код><Код>2</Код><УТ2:Код xmlns:УТ2=\"u\">3</УТ2:Код></ЕФС:Пакет>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->NodeName(), "ЕФС:Пакет");
  EXPECT_EQ(Texts(root->SelectNodes("ЕФС:Код")), std::vector<std::string>{"1"});
  EXPECT_EQ(Texts(root->SelectNodes("Код")), std::vector<std::string>{"2"});
  EXPECT_EQ(Texts(root->GetElementsByTagName("УТ2:Код")), std::vector<std::string>{"3"});
  EXPECT_EQ(root->SelectSingleNode("Пакет"), nullptr);
  // Namespace declarations are ordinary attributes.
  ASSERT_NE(root->Attributes().getNamedItem("xmlns:ЕФС"), nullptr);
  EXPECT_EQ(root->Attributes().getNamedItem("xmlns:ЕФС")->text(), "http://ef.example/1");
  EXPECT_EQ(root->Attributes().getNamedItem("xmlns")->text(), "http://ef.example/0");
  EXPECT_EQ(root->Attributes().Count(), 2);
}

TEST(XmlTree, NodeNumbersAndPaths) {
  auto a = Parse("<a><b><c>1</c><d/><c>2</c><c>3</c></b><e/></a>");
  ASSERT_TRUE(a);
  TMyNode* b = a->SelectSingleNode("b");
  ASSERT_NE(b, nullptr);
  TMyNodeList cs = b->SelectNodes("c");
  ASSERT_EQ(cs.size(), 3u);
  EXPECT_EQ(a->NodeNumber(), 0);
  EXPECT_EQ(b->NodeNumber(), 0);
  EXPECT_EQ(cs[0]->NodeNumber(), 1);
  EXPECT_EQ(cs[2]->NodeNumber(), 3);
  EXPECT_EQ(a->GetXPath(), "/a");
  EXPECT_EQ(cs[0]->GetXPath(), "/a/b/c[1]");
  EXPECT_EQ(cs[1]->GetXPath(), "/a/b/c[2]");
  EXPECT_EQ(b->SelectSingleNode("d")->GetXPath(), "/a/b/d");
  EXPECT_EQ(cs[1]->parent(), b);
  EXPECT_EQ(a->parent(), nullptr);

  // A single child keeps 0 and its path has no index.
  auto single = Parse("<a><b><c/></b><b><c/><c/></b></a>");
  TMyNodeList bs = single->SelectNodes("b");
  ASSERT_EQ(bs.size(), 2u);
  EXPECT_EQ(bs[0]->SelectSingleNode("c")->GetXPath(), "/a/b[1]/c");
  EXPECT_EQ(bs[1]->SelectNodes("c")[1]->GetXPath(), "/a/b[2]/c[2]");
}

TEST(XmlTree, ChildAndDescendantLookups) {
  auto r = Parse(
      "<r><x>top</x>"
      "<p><x>p1</x></p>"
      "<p><q><x>p2a</x></q><x>p2b</x></p>"
      "<r><x>inner</x></r></r>");
  ASSERT_TRUE(r);
  EXPECT_EQ(Texts(r->SelectNodes("x")), std::vector<std::string>{"top"});
  EXPECT_EQ(Texts(r->GetElementsByTagName("x")), (std::vector<std::string>{"top", "p1", "p2a", "p2b", "inner"}));
  // Only the node's own subtree, in document order, never the node itself.
  TMyNodeList ps = r->SelectNodes("p");
  ASSERT_EQ(ps.size(), 2u);
  EXPECT_EQ(Texts(ps[0]->GetElementsByTagName("x")), std::vector<std::string>{"p1"});
  EXPECT_EQ(Texts(ps[1]->GetElementsByTagName("x")), (std::vector<std::string>{"p2a", "p2b"}));
  EXPECT_EQ(Texts(ps[1]->SelectNodes("x")), std::vector<std::string>{"p2b"});
  EXPECT_EQ(r->GetElementsByTagName("r").size(), 1u);
  EXPECT_EQ(r->GetElementsByTagName("r")[0]->GetXPath(), "/r/r");

  // Absent names: none for the single look-up, empty lists for the others.
  EXPECT_EQ(r->SelectSingleNode("nothing"), nullptr);
  EXPECT_TRUE(r->SelectNodes("nothing").empty());
  EXPECT_TRUE(r->GetElementsByTagName("nothing").empty());
  // A name that exists elsewhere in the document but not below this node.
  TMyNode* leaf = r->SelectSingleNode("x");
  EXPECT_TRUE(leaf->GetElementsByTagName("x").empty());
  EXPECT_TRUE(leaf->ChildNodes().empty());
  EXPECT_TRUE(ps[0]->SelectNodes("q").empty());
  EXPECT_TRUE(ps[0]->GetElementsByTagName("q").empty());
}

TEST(XmlTree, ChildNodesGroupsByNameInDocumentOrder) {
  auto r = Parse("<r><a>1</a><b>2</b><a>3</a><c>4</c><b>5</b></r>");
  std::vector<std::string> groups;
  std::map<std::string, std::string> texts;
  for (TMyNode* n : r->ChildNodes()) {
    if (groups.empty() || groups.back() != n->NodeName()) groups.push_back(n->NodeName());
    texts[n->NodeName()] += n->text();
  }
  EXPECT_EQ(groups.size(), 3u);  // each name one contiguous group
  EXPECT_EQ(texts, (std::map<std::string, std::string>{{"a", "13"}, {"b", "25"}, {"c", "4"}}));
}

TEST(XmlTree, EmptyElementTagsCloseTheirElement) {
  auto r = Parse("<r><a/><b x=\"1\"/><c>t</c></r>");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->ChildNodes().size(), 3u);
  EXPECT_EQ(r->SelectSingleNode("a")->text(), "");
  EXPECT_EQ(r->SelectSingleNode("c")->parent(), r.get());
  EXPECT_TRUE(r->SelectSingleNode("a")->ChildNodes().empty());
  EXPECT_EQ(r->SelectSingleNode("b")->Attributes().getNamedItem("x")->text(), "1");
}

TEST(XmlTree, TextIsTheTrimmedLastRunInsideTheElement) {
  auto r = Parse(
      "<r>\n  <leaf>  \t value \r\n </leaf>\n"
      "  <ent>a &amp; b &lt;c&gt; &#1046;&#x416;</ent>\n"
      "  <cdata>x<![CDATA[<y> & ]]>z</cdata>\n"
      "  <mixed>head<i/>tail</mixed>\n"
      "  <before>head<i/></before>\n"
      "  <blank>head<i/>   </blank>\n"
      "  <multi>one\r\ntwo\nthree</multi>\n"
      "  <empty></empty>\n"
      "</r>");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->SelectSingleNode("leaf")->text(), "value");
  // A reference in the middle stays part of one value.
  EXPECT_EQ(r->SelectSingleNode("ent")->text(), "a & b <c> ЖЖ");
  EXPECT_EQ(r->SelectSingleNode("cdata")->text(), "x<y> & z");
  EXPECT_EQ(r->SelectSingleNode("mixed")->text(), "tail");
  EXPECT_EQ(r->SelectSingleNode("before")->text(), "head");
  EXPECT_EQ(r->SelectSingleNode("blank")->text(), "");
  EXPECT_EQ(r->SelectSingleNode("multi")->text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(r->SelectSingleNode("empty")->text(), "");
  // The root holds children and ends with indentation only.
  EXPECT_EQ(r->text(), "");
}

TEST(XmlTree, AttributesAreDecodedAndKeptInOrder) {
  auto r = Parse("<r b=\"2\" a=\"x &amp; y &#1046;\" c='say \"hi\"' d=\"l1\nl2\" УТ2:e=\"&lt;&gt;\"/>");
  ASSERT_TRUE(r);
  TMyAttribs at = r->Attributes();
  EXPECT_EQ(at.Count(), 5);
  std::vector<std::string> names;
  for (const TMyAttrib& a : at) names.emplace_back(a.name());
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "c", "d", "УТ2:e"}));
  EXPECT_EQ(at.getNamedItem("a")->text(), "x & y Ж");
  EXPECT_EQ(at.getNamedItem("c")->text(), "say \"hi\"");
  EXPECT_EQ(at.getNamedItem("d")->text(), "l1 l2");  // attribute values normalise line breaks to blanks
  EXPECT_EQ(at.getNamedItem("УТ2:e")->text(), "<>");
  EXPECT_EQ(at.getNamedItem("e"), nullptr);
  EXPECT_EQ(at.getNamedItem("B"), nullptr);
}

TEST(XmlTree, InternalEntitiesExpandInTextAndAttributes) {
  auto r = Parse(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY org \"ООО &quot;Ромашка&quot;\">]>\n"
      "<r name=\"&org; ltd\"><n>Работодатель &org;, г. Москва</n></r>");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Attributes().getNamedItem("name")->text(), "ООО \"Ромашка\" ltd");
  EXPECT_EQ(r->SelectSingleNode("n")->text(), "Работодатель ООО \"Ромашка\", г. Москва");
}

// The counter starts at 2 for the root and grows by one per run of character data holding a line
// break, whichever line-break convention the file uses.
TEST(XmlTree, LineNumbersCountRunsWithLineBreaks) {
  const std::string lf =
      "<?xml version=\"1.0\"?>\n"
      "<r>\n"
      "  <a>1</a>\n"
      "\n"
      "  <b>2</b><c>3</c>\n"
      "  <d>x\ny\nz</d>\n"
      "  <e/>\n"
      "</r>\n";
  std::string crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  for (const std::string& doc : {lf, crlf}) {
    auto r = Parse(doc);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->LineNumber(), 2);
    EXPECT_EQ(r->SelectSingleNode("a")->LineNumber(), 3);
    // The blank line lies in the same whitespace run and does not count twice.
    EXPECT_EQ(r->SelectSingleNode("b")->LineNumber(), 4);
    EXPECT_EQ(r->SelectSingleNode("c")->LineNumber(), 4);
    EXPECT_EQ(r->SelectSingleNode("d")->LineNumber(), 5);
    // The text of d held two breaks but was one run.
    EXPECT_EQ(r->SelectSingleNode("e")->LineNumber(), 7);
  }
}

TEST(XmlTree, TheDocumentEndsAtTheEndOfItsInput) {
  const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n<a>1</a>\n</r>\n";
  TMyParser plain;
  ASSERT_TRUE(plain.parseBytes(doc));
  // Blanks, comments and processing instructions may follow the root, and make no nodes.
  TMyParser withTail;
  auto r = withTail.parseBytes(doc + "<!-- подпись -->\n<?stamp 2023?>\r\n  \n");
  ASSERT_TRUE(r) << withTail.LastError;
  EXPECT_EQ(r.tree()->NodeCount(), 2u);
  EXPECT_EQ(withTail.TreeBytes, plain.TreeBytes);

  // Anything else damages the document where it begins; nothing of either part is handed out, and
  // no node is made for what follows the root.
  struct Case {
    std::string tail;
    std::string reason;
    int line;
  } cases[] = {
      {"stray text", "лишнее содержимое после корневого элемента", 5},
      {"<!-- a comment first -->\n<x/>", "лишнее содержимое после корневого элемента", 6},
      {"\xff\xfe garbage", "лишнее содержимое после корневого элемента", 5},
      {doc, "после корневого элемента: объявление XML не в начале документа", 5},  // two reports in one file
      {"<r>\n<a>2</a>\n</r>\n", "лишнее содержимое после корневого элемента", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    TMyParser parser;
    EXPECT_FALSE(parser.parseBytes(doc + c.tail));
    EXPECT_NE(parser.LastError.find(c.reason + " (строка " + std::to_string(c.line)), std::string::npos)
        << parser.LastError;
    EXPECT_EQ(parser.ErrorLine, c.line);
    EXPECT_EQ(parser.TreeBytes, plain.TreeBytes);
  }
}

TEST(XmlTree, BrokenOffOrMalformedDocumentGivesNoTree) {
  // A part of a document would read as a whole one with people missing: none is handed out.
  EXPECT_FALSE(Parse("<?xml version=\"1.0\"?>\n<r><a>1</a><b><c>2</c><d><e>3</e><f>tru"));
  EXPECT_FALSE(Parse("<r><a>1</a><b>2</c><d/></r>"));

  // A tree built by hand may end with elements open: they stay attached and indexed.
  TMyTreeBuilder builder;
  for (const char* name : {"r", "b", "d"}) builder.StartElement(name);
  builder.StartElement("e");
  builder.Characters("3");
  builder.EndElement("e");
  builder.StartElement("f");
  TMyTreePtr r = builder.Finish();
  ASSERT_TRUE(r);
  TMyNode* b = r->SelectSingleNode("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(r->GetElementsByTagName("f")[0]->GetXPath(), "/r/b/d/f");
  EXPECT_EQ(Texts(b->GetElementsByTagName("e")), std::vector<std::string>{"3"});
}

TEST(XmlTree, NoElementMeansNoTree) {
  EXPECT_FALSE(Parse(""));
  EXPECT_FALSE(Parse("   \n\t "));
  EXPECT_FALSE(Parse("<?xml version=\"1.0\"?>\n<!-- only a comment -->"));
  EXPECT_FALSE(Parse("plain text, not XML"));
  EXPECT_FALSE(Parse(std::string("\0\x01\x02<r/>", 7)));
}

}  // namespace
}  // namespace zz

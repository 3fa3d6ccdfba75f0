// Reading real files: encodings, unreadable inputs and hostile documents.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdint>
#include <string>

#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

using test::TempDir;
using test::WriteFile;

const std::string kDoc =
    "<Пакет Код=\"Ёж\">\n"
    "  <ФИО>Пётр Иванович Ёлкин</ФИО>\n"
    "  <СНИЛС>123-456-789 01</СНИЛС>\n"
    "</Пакет>\n";

void ExpectDoc(const TMyTreePtr& r) {
  ASSERT_TRUE(r);
  EXPECT_EQ(r->NodeName(), "Пакет");
  EXPECT_EQ(r->Attributes().getNamedItem("Код")->text(), "Ёж");
  ASSERT_NE(r->SelectSingleNode("ФИО"), nullptr);
  EXPECT_EQ(r->SelectSingleNode("ФИО")->text(), "Пётр Иванович Ёлкин");
  EXPECT_EQ(r->SelectSingleNode("СНИЛС")->LineNumber(), 4);
}

// Test data in other encodings, converted with the C library's iconv.
std::string Convert(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
  std::string out(utf8.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  char* o = out.data();
  size_t inLeft = utf8.size(), outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1)) << to;
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}
std::string Utf16(const std::string& utf8, bool bigEndian) {
  return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Convert(utf8, bigEndian ? "UTF-16BE" : "UTF-16LE");
}
std::string Cp1251(const std::string& utf8) { return Convert(utf8, "CP1251"); }

TEST(XmlInput, EncodingsComeFromTheDeclarationOrTheByteOrderMark) {
  TempDir dir;
  const std::string decl = "<?xml version=\"1.0\" encoding=\"%\"?>\n";
  auto withDecl = [&](const std::string& enc) { return decl.substr(0, 30) + enc + "\"?>\n" + kDoc; };

  WriteFile(dir / "plain.xml", "<?xml version=\"1.0\"?>\n" + kDoc);
  WriteFile(dir / "bom8.xml", "\xEF\xBB\xBF" + withDecl("UTF-8"));
  WriteFile(dir / "le.xml", Utf16(withDecl("UTF-16"), false));
  WriteFile(dir / "be.xml", Utf16(withDecl("UTF-16"), true));
  WriteFile(dir / "cp.xml", Cp1251(withDecl("windows-1251")));
  WriteFile(dir / "cp-upper.xml", Cp1251(withDecl("WINDOWS-1251")));
  for (const char* name : {"plain.xml", "bom8.xml", "le.xml", "be.xml", "cp.xml", "cp-upper.xml"}) {
    SCOPED_TRACE(name);
    ExpectDoc(ReadXmlTree((dir / name).string()));
  }
}

TEST(XmlInput, InvalidBytesEndTheParseWithAPartialTree) {
  TempDir dir;
  // 0x98 has no character in code page 1251; 0xFF never starts a UTF-8 sequence.
  WriteFile(dir / "cp.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<r><a>" + Cp1251("Ёж") +
                                "</a><b>\x98</b><c/></r>");
  WriteFile(dir / "u8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r><a>ok</a><b>\xFF\xFE</b><c/></r>");
  // An odd number of bytes in UTF-16 breaks the last character.
  WriteFile(dir / "u16.xml", Utf16("<r><a>ok</a><c/></r>", false).substr(0, 25));
  for (const char* name : {"cp.xml", "u8.xml"}) {
    SCOPED_TRACE(name);
    auto r = ReadXmlTree((dir / name).string());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->SelectSingleNode("c"), nullptr);
  }
  EXPECT_EQ(ReadXmlTree((dir / "cp.xml").string())->SelectSingleNode("a")->text(), "Ёж");
  auto r16 = ReadXmlTree((dir / "u16.xml").string());
  ASSERT_TRUE(r16);
  EXPECT_EQ(r16->SelectSingleNode("a")->text(), "ok");
  EXPECT_EQ(r16->SelectSingleNode("c"), nullptr);
}

TEST(XmlInput, UnreadableInputsGiveNoTree) {
  TempDir dir;
  WriteFile(dir / "empty.xml", "");
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + 13) % 256);
  WriteFile(dir / "binary.xml", binary);
  std::filesystem::create_directories(dir / "folder.xml");
  WriteFile(dir / "doc.xml", kDoc);

  EXPECT_FALSE(ReadXmlTree((dir / "empty.xml").string()));
  EXPECT_FALSE(ReadXmlTree((dir / "binary.xml").string()));
  EXPECT_FALSE(ReadXmlTree((dir / "missing.xml").string()));
  EXPECT_FALSE(ReadXmlTree((dir / "folder.xml").string()));
  EXPECT_FALSE(ReadXmlTree(""));
  // The secure scheme does not contain "http://", so it names a local file, which does not exist.
  EXPECT_FALSE(ReadXmlTree("https://127.0.0.1:1/doc.xml"));
  ExpectDoc(ReadXmlTree((dir / "doc.xml").string()));
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutLE(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(XmlInput, CompressedFilesAreNotUnpacked) {
  // A valid gzip member holding the document in one stored deflate block.
  std::string gz = std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
  gz += '\x01';
  PutLE(gz, static_cast<uint32_t>(kDoc.size()), 2);
  PutLE(gz, static_cast<uint32_t>(~kDoc.size()) & 0xFFFF, 2);
  gz += kDoc;
  PutLE(gz, Crc32(kDoc), 4);
  PutLE(gz, static_cast<uint32_t>(kDoc.size()), 4);
  TempDir dir;
  WriteFile(dir / "doc.xml", gz);
  EXPECT_FALSE(ReadXmlTree((dir / "doc.xml").string()));
}

std::string Laughs(const std::string& use) {
  std::string s = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    s += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) s += "&lol" + std::to_string(i - 1) + ";";
    s += "\">\n";
  }
  return s + "]>\n" + use;
}

TEST(XmlInput, EntityExpansionStaysBounded) {
  // A billion "lol"s in text and in an attribute.
  auto text = TMyParser().parseBytes(Laughs("<lolz><a>&lol9;</a><b/></lolz>"));
  ASSERT_TRUE(text);
  EXPECT_LT(text->SelectSingleNode("a")->text().size(), 1000000u);
  EXPECT_EQ(text->SelectSingleNode("b"), nullptr);
  auto attr = TMyParser().parseBytes(Laughs("<lolz><a v=\"&lol9;\"/></lolz>"));
  ASSERT_TRUE(attr);
  EXPECT_EQ(attr->SelectSingleNode("a"), nullptr);

  // Quadratic growth: one large entity referenced many times, each reference legal on its own.
  std::string big = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY big \"" + std::string(200000, 'x') + "\">]>\n<r><a>";
  for (int i = 0; i < 40000; ++i) big += "&big;";
  big += "</a><b/></r>";
  auto quad = TMyParser().parseBytes(big);
  ASSERT_TRUE(quad);
  EXPECT_LT(quad->SelectSingleNode("a") ? quad->SelectSingleNode("a")->text().size() : 0u, 64u << 20);
  EXPECT_EQ(quad->SelectSingleNode("b"), nullptr);
}

TEST(XmlInput, ExternalEntitiesAndDocumentTypesAreNeverLoaded) {
  TempDir dir;
  WriteFile(dir / "secret.txt", "SECRET");
  WriteFile(dir / "types.dtd", "<!ENTITY leak \"SECRET\"><!ATTLIST r extra CDATA \"SECRET\">");
  const std::string secret = "file://" + (dir / "secret.txt").string();
  const std::string dtd = "file://" + (dir / "types.dtd").string();

  auto general = TMyParser().parseBytes("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + secret + "\">]><r>a&e;b</r>");
  auto external = TMyParser().parseBytes("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>a&leak;b</r>");
  auto parameter =
      TMyParser().parseBytes("<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>a&leak;b</r>");
  for (const TMyTreePtr* r : {&general, &external, &parameter}) {
    if (!*r) continue;
    EXPECT_EQ((*r)->text().find("SECRET"), std::string_view::npos);
    EXPECT_EQ((*r)->Attributes().getNamedItem("extra"), nullptr);
  }
  ASSERT_TRUE(general);
  ASSERT_TRUE(external);
}

TEST(XmlInput, DeepNestingAndHugeValuesDoNotBreakTheReader) {
  constexpr int kDepth = 100000;
  std::string deep;
  for (int i = 0; i < kDepth; ++i) deep += "<d>";
  deep += "bottom";
  for (int i = 0; i < kDepth; ++i) deep += "</d>";
  auto r = TMyParser().parseBytes(deep);
  ASSERT_TRUE(r);
  // However deep the file, every node the parser accepted is indexed and the tree is released
  // without recursion.
  TMyNodeList all = r->GetElementsByTagName("d");
  ASSERT_FALSE(all.empty());
  TMyNode* last = all.back();
  EXPECT_EQ(last->GetXPath().size(), 2 * (all.size() + 1));
  EXPECT_TRUE(last->GetElementsByTagName("d").empty());

  const std::string kept(2 << 20, 'k');
  auto fine = TMyParser().parseBytes("<r><a v=\"" + kept + "\"/><b/></r>");
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->SelectSingleNode("a")->Attributes().getNamedItem("v")->text(), kept);
  // Beyond libxml2's own limit on one value the parse ends; what came before stays.
  auto huge = TMyParser().parseBytes("<r><a>x</a><b v=\"" + std::string(12 << 20, 'h') + "\"/><c/></r>");
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->SelectSingleNode("a")->text(), "x");
  EXPECT_EQ(huge->SelectSingleNode("c"), nullptr);
}

TEST(XmlInput, LargeFileReadInChunksMatchesItsContent) {
  // Text runs and tags cross the reader's chunk boundaries many times.
  std::string doc = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<r>\r\n";
  constexpr int kItems = 30000;
  for (int i = 0; i < kItems; ++i)
    doc += "  <Запись Номер=\"" + std::to_string(i) + "\"><Имя>Ёлкин " + std::to_string(i) + "</Имя></Запись>\r\n";
  doc += "</r>\r\n";
  TempDir dir;
  WriteFile(dir / "big.xml", Cp1251(doc));
  auto r = ReadXmlTree((dir / "big.xml").string());
  ASSERT_TRUE(r);
  TMyNodeList items = r->SelectNodes("Запись");
  ASSERT_EQ(items.size(), static_cast<size_t>(kItems));
  for (int i : {0, 1, 4321, kItems - 1}) {
    EXPECT_EQ(items[i]->Attributes().getNamedItem("Номер")->text(), std::to_string(i));
    EXPECT_EQ(items[i]->SelectSingleNode("Имя")->text(), "Ёлкин " + std::to_string(i));
    EXPECT_EQ(items[i]->NodeNumber(), i + 1);
    EXPECT_EQ(items[i]->LineNumber(), 3 + i);
  }
  EXPECT_EQ(r->GetElementsByTagName("Имя").size(), static_cast<size_t>(kItems));
}

}  // namespace
}  // namespace zz

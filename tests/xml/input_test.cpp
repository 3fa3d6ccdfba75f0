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
    ExpectDoc(*ReadXmlTree((dir / name).string()));
  }
}

TEST(XmlInput, ADamagedDocumentGivesNoTreeButItsReasonAndLine) {
  TempDir dir;
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n<a>ok</a>\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::string reason;  // a part of the reason
    int line;
  } cases[] = {
      {"amp.xml", head + "<b>ООО Рога & Копыта</b>\n<c/>\n</r>\n", "неэкранированный символ &", 4},
      {"cut.xml", head + "<b>x</b>\n", "документ оборван: не закрыт элемент r", 4},
      {"unquoted.xml", head + "<b v=1/>\n</r>\n", "значение атрибута не заключено в кавычки", 4},
      {"nul.xml", head + "<b>x" + std::string(1, '\0') + "y</b>\n</r>\n", "недопустимый символ", 4},
      {"utf8.xml", head + "<b>\xFF\xFE</b>\n</r>\n", "недопустимый символ", 4},
      // 0x98 has no character in code page 1251, and UTF-8 Cyrillic is full of it ("И" is D0 98).
      {"cp.xml",
       "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<r>\n<a>" + Cp1251("Ёж") + "</a>\n<b>ИВАНОВ</b>\n</r>\n",
       "кодировк", 4},
      {"mismatch.xml", head + "<b>x</c>\n</r>\n", "закрывающий тег не соответствует открывающему", 4},
      {"empty.xml", "", "документ пуст", 0},
      {"gzip.xml", std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10) + "\xAB\xCD", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir / c.name, c.bytes);
    TMyParser parser;
    EXPECT_FALSE(parser.parse((dir / c.name).string()));
    EXPECT_NE(parser.LastError.find(c.reason), std::string::npos) << parser.LastError;
    if (c.line > 0) {
      EXPECT_EQ(parser.ErrorLine, c.line) << parser.LastError;
      EXPECT_NE(parser.LastError.find("(строка " + std::to_string(c.line)), std::string::npos) << parser.LastError;
    }
    // The same bytes from memory (a server's reply) give the same answer.
    TMyParser memory;
    EXPECT_FALSE(memory.parseBytes(c.bytes));
    EXPECT_EQ(memory.LastError, parser.LastError);
  }
  // An odd number of bytes in UTF-16 breaks the last character.
  EXPECT_FALSE(TMyParser().parseBytes(Utf16("<r><a>ok</a><c/></r>", false).substr(0, 25)));
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
  ExpectDoc(*ReadXmlTree((dir / "doc.xml").string()));
  // The error names the file, says why, and where a malformation is, its line.
  WriteFile(dir / "broken.xml", "<r>\n<a>\n</r>\n");
  auto broken = ReadXmlTree((dir / "broken.xml").string());
  ASSERT_FALSE(broken);
  EXPECT_EQ(broken.Error().File, (dir / "broken.xml").string());
  EXPECT_EQ(broken.Error().Line, 3);
  EXPECT_NE(broken.Error().Text.find("строка 3"), std::string::npos) << broken.Error().Text;
  EXPECT_FALSE(ReadXmlTree((dir / "missing.xml").string()).Error().Text.empty());
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
  // A billion "lol"s in text and in an attribute; one large entity referenced many times, each
  // reference legal on its own. Each document is refused whole, never kept in part.
  std::string big =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY big \"" + std::string(200000, 'x') + "\">]>\n<r><a>";
  for (int i = 0; i < 40000; ++i) big += "&big;";
  big += "</a><b/></r>";
  for (const std::string& doc :
       {Laughs("<lolz><a>&lol9;</a><b/></lolz>"), Laughs("<lolz><a v=\"&lol9;\"/></lolz>"), big}) {
    TMyParser parser;
    EXPECT_FALSE(parser.parseBytes(doc));
    EXPECT_NE(parser.LastError.find("документ слишком сложен"), std::string::npos) << parser.LastError;
  }
  // A few references to a declared entity are ordinary.
  auto fine = TMyParser().parseBytes("<!DOCTYPE r [<!ENTITY e \"ё\">]><r><a>x&e;y</a></r>");
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->SelectSingleNode("a")->text(), "xёy");
}

TEST(XmlInput, ExternalEntitiesAndDocumentTypesAreNeverLoaded) {
  TempDir dir;
  WriteFile(dir / "secret.txt", "SECRET");
  WriteFile(dir / "types.dtd", "<!ENTITY leak \"SECRET\"><!ATTLIST r extra CDATA \"SECRET\">");
  const std::string secret = "file://" + (dir / "secret.txt").string();
  const std::string dtd = "file://" + (dir / "types.dtd").string();

  // A reference to an entity that is never loaded leaves the document unreadable, not half read.
  TMyParser general;
  EXPECT_FALSE(general.parseBytes("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + secret + "\">]><r>a&e;b</r>"));
  EXPECT_NE(general.LastError.find("необъявленную сущность"), std::string::npos) << general.LastError;
  for (const std::string& doc : {"<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>a&leak;b</r>",
                                 "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>a&leak;b</r>",
                                 "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>ab</r>"}) {
    SCOPED_TRACE(doc);
    TMyParser parser;
    TMyTreePtr r = parser.parseBytes(doc);
    if (!r) {
      EXPECT_FALSE(parser.LastError.empty());
      continue;
    }
    EXPECT_EQ(r->text().find("SECRET"), std::string_view::npos);
    EXPECT_EQ(r->Attributes().getNamedItem("extra"), nullptr);
  }
}

TEST(XmlInput, DepthAndMemoryAreBoundedByTheInputsSize) {
  auto nested = [](size_t depth, const std::string& name) {
    std::string doc;
    for (size_t i = 0; i < depth; ++i) doc += "<" + name + ">";
    doc += "bottom";
    for (size_t i = 0; i < depth; ++i) doc += "</" + name + ">";
    return doc;
  };
  // Real files are a dozen levels deep; the bound leaves room and no more.
  auto deepest = TMyParser().parseBytes(nested(kMaxElementDepth, "d"));
  ASSERT_TRUE(deepest);
  EXPECT_EQ(deepest->GetElementsByTagName("d").size(), kMaxElementDepth - 1);
  // 16,000 persons each inside the one before: refused before paths grow with the square of the depth.
  for (size_t depth : {kMaxElementDepth + 1, size_t{16000}}) {
    TMyParser parser;
    EXPECT_FALSE(parser.parseBytes(nested(depth, "ЗЛ")));
    EXPECT_NE(parser.LastError.find("вложенность элементов больше 64"), std::string::npos) << parser.LastError;
  }

  // Empty elements cost a node each for four bytes: past four times the input (and a base) the
  // document is refused, and the tree never grew beyond that.
  std::string empties = "<r>";
  for (int i = 0; i < 6'000'000; ++i) empties += "<a/>";
  empties += "</r>";
  TMyParser parser;
  EXPECT_FALSE(parser.parseBytes(empties));
  EXPECT_NE(parser.LastError.find("документ слишком сложен"), std::string::npos) << parser.LastError;
  EXPECT_LE(parser.TreeBytes, kTreeBytesBase + kTreeBytesPerInputByte * empties.size());
  EXPECT_GT(parser.TreeBytes, kTreeBytesBase);

  // Ordinary documents stay far inside the bound.
  std::string persons = "<r>";
  for (int i = 0; i < 20000; ++i)
    persons +=
        "\n  <ЗЛ>\n    <ФИО>\n      <Фамилия>ИВАНОВ</Фамилия>\n      <Имя>ПЁТР</Имя>\n    </ФИО>\n"
        "    <СНИЛС>123-456-789 0" +
        std::to_string(i % 10) + "</СНИЛС>\n  </ЗЛ>";
  persons += "\n</r>";
  TMyParser ordinary;
  ASSERT_TRUE(ordinary.parseBytes(persons));
  EXPECT_LT(ordinary.TreeBytes, kTreeBytesPerInputByte * persons.size());

  const std::string kept(2 << 20, 'k');
  auto fine = TMyParser().parseBytes("<r><a v=\"" + kept + "\"/><b/></r>");
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->SelectSingleNode("a")->Attributes().getNamedItem("v")->text(), kept);
  // Beyond libxml2's own limit on one value the document is refused as a whole.
  EXPECT_FALSE(TMyParser().parseBytes("<r><a>x</a><b v=\"" + std::string(12 << 20, 'h') + "\"/><c/></r>"));
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
  auto read = ReadXmlTree((dir / "big.xml").string());
  ASSERT_TRUE(read);
  const TMyTreePtr& r = *read;
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

// The shipped Perechen schema compiles and tells a good sample from broken ones; the shipped data
// file agrees with it.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace zz {
namespace {

const std::string kSchemaPath = ZAZORU_SOURCE_DIR "/data/perech-lmvt.xsd";
const std::string kDataPath = ZAZORU_SOURCE_DIR "/data/perech-lmvt-additional.xml";
const std::string kSamplePath = ZAZORU_TEST_DATA_DIR "/list/perechen_2023_q4.xml";

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct SchemaFree {
  void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;
using SchemaPtr = std::unique_ptr<xmlSchema, SchemaFree>;

#if LIBXML_VERSION >= 21200
void Collect(void* ctx, const xmlError* e) {
#else
void Collect(void* ctx, xmlError* e) {
#endif
  if (e && e->message) static_cast<std::vector<std::string>*>(ctx)->push_back(e->message);
}

DocPtr Parse(const std::string& bytes) {
  return DocPtr(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "mem.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

SchemaPtr CompileShippedSchema(std::vector<std::string>* errors) {
  std::string xsd = test::ReadFile(kSchemaPath);
  xmlSchemaParserCtxt* ctxt = xmlSchemaNewMemParserCtxt(xsd.data(), static_cast<int>(xsd.size()));
  xmlSchemaSetParserStructuredErrors(ctxt, Collect, errors);
  SchemaPtr schema(xmlSchemaParse(ctxt));
  xmlSchemaFreeParserCtxt(ctxt);
  return schema;
}

// Validates the bytes; returns libxml2's result (0 = valid) and collects the messages.
int Validate(xmlSchema* schema, const std::string& bytes, std::vector<std::string>* errors) {
  DocPtr doc = Parse(bytes);
  if (!doc) return -1;
  xmlSchemaValidCtxt* v = xmlSchemaNewValidCtxt(schema);
  xmlSchemaSetValidStructuredErrors(v, Collect, errors);
  int rc = xmlSchemaValidateDoc(v, doc.get());
  xmlSchemaFreeValidCtxt(v);
  return rc;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

std::string Name(const xmlNode* n) { return reinterpret_cast<const char*>(n->name); }
std::string Attr(xmlNode* n, const char* name) {
  xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}
bool HasAttr(xmlNode* n, const char* name) { return nullptr != xmlHasProp(n, reinterpret_cast<const xmlChar*>(name)); }

void Descendants(xmlNode* n, const std::string& name, std::vector<xmlNode*>* out) {
  for (xmlNode* c = n->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (Name(c) == name) out->push_back(c);
    Descendants(c, name, out);
  }
}
std::vector<xmlNode*> Descendants(xmlNode* n, const std::string& name) {
  std::vector<xmlNode*> out;
  Descendants(n, name, &out);
  return out;
}

class ShippedSchemaTest : public ::testing::Test {
 protected:
  std::vector<std::string> errors;
  SchemaPtr schema = CompileShippedSchema(&errors);
  std::string sample = test::ReadFile(kSamplePath);
};

TEST_F(ShippedSchemaTest, CompilesAndAcceptsTheSample) {
  ASSERT_TRUE(schema) << (errors.empty() ? "" : errors.front());
  EXPECT_EQ(Validate(schema.get(), sample, &errors), 0) << (errors.empty() ? "" : errors.front());
}

TEST_F(ShippedSchemaTest, AcceptsSeveralPerechenUnderTheListRoot) {
  ASSERT_TRUE(schema);
  std::string body = sample.substr(sample.find("<Перечень"));
  std::string both = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Перечни>" + body +
                     Replace(body, "ОтчетныйПериод=\"12\"", "ОтчетныйПериод=\"9\"") + "</Перечни>";
  EXPECT_EQ(Validate(schema.get(), both, &errors), 0) << (errors.empty() ? "" : errors.front());
}

TEST_F(ShippedSchemaTest, RejectsBrokenSamples) {
  ASSERT_TRUE(schema);
  const std::vector<std::string> broken = {
      Replace(sample, "<КоличествоШтат>2</КоличествоШтат>", ""),                       // required element missing
      Replace(sample, "<Ставка>0.5</Ставка>", "<Ставка>0,5</Ставка>"),                 // comma as decimal separator
      Replace(sample, "ДатаНач=\"01.01.2019\"", "ДатаНач=\"2019-01-01\""),             // date format
      Replace(sample, " РегНомер=\"087-104-003215\"", ""),                             // required attribute missing
      Replace(sample, "\"112-233-445 95\"", "\"11223344595\""),                        // insurance number format
      Replace(sample, ">ВРНЕТРУД<", ">НЕТТАКОГО<"),                                    // code outside the classifier
      Replace(Replace(sample, "<Перечень ", "<Список "), "</Перечень>", "</Список>"),  // unknown root
  };
  for (size_t i = 0; i < broken.size(); ++i) {
    errors.clear();
    EXPECT_GT(Validate(schema.get(), broken[i], &errors), 0) << "case " << i;
    EXPECT_FALSE(errors.empty()) << "case " << i;
  }
}

TEST_F(ShippedSchemaTest, DataFileAgreesWithTheSchema) {
  DocPtr xsd = Parse(test::ReadFile(kSchemaPath));
  DocPtr data = Parse(test::ReadFile(kDataPath));
  ASSERT_TRUE(xsd && data);
  std::set<std::string> periodCodes;
  for (xmlNode* p : Descendants(xmlDocGetRootElement(data.get()), "Период")) {
    EXPECT_TRUE(HasAttr(p, "Наименование") && HasAttr(p, "ДействуетС") && HasAttr(p, "ДействуетПо"))
        << Attr(p, "Наименование");
    periodCodes.insert(Attr(p, "Наименование"));
  }
  std::vector<xmlNode*> pairs = Descendants(xmlDocGetRootElement(data.get()), "ОдноименныеЛьготы");
  EXPECT_FALSE(pairs.empty());
  for (xmlNode* pair : pairs) EXPECT_EQ(Descendants(pair, "Льгота").size(), 2u);

  size_t values = 0;
  for (xmlNode* t : Descendants(xmlDocGetRootElement(xsd.get()), "simpleType")) {
    if (Attr(t, "name") != "КлассификаторДополнительныхСведенийИсчисленияСтажа") continue;
    for (xmlNode* e : Descendants(t, "enumeration")) {
      ++values;
      EXPECT_TRUE(periodCodes.count(Attr(e, "value"))) << Attr(e, "value");
    }
  }
  EXPECT_GT(values, 0u);
}

}  // namespace
}  // namespace zz

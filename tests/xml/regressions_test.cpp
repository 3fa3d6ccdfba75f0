// Inputs that once made a reader fail, kept in tests/data/regressions/.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

std::string Regression(const std::string& name) { return test::ReadFile(test::TestDataPath("regressions/" + name)); }

TEST(XmlRegressions, ATagWithTensOfThousandsOfAttributesEndsTheParseAtOnce) {
  // libxml2 compares the attributes of a tag pair by pair: this tag alone took seconds, a file of
  // such tags hours. The parse now ends before the tag: no element was started, so no tree.
  const std::string bytes = Regression("xml_tag_with_20000_attributes.xml");
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(TMyParser().parseBytes(bytes));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

  // The bound leaves real documents alone: 256 attributes, and "=" in values, comments and
  // declarations, which are no attributes.
  std::string wide = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY e \"" + std::string(300, '=') + "\">]>\n<r";
  for (int i = 0; i < 256; ++i) wide += " a" + std::to_string(i) + "='" + std::string(3, '=') + "'";
  wide += "><!--" + std::string(300, '=') + "--><b c=\"==>\">&e;</b></r>";
  TMyTreePtr tree = TMyParser().parseBytes(wide);
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->Attributes().Count(), 256);
  ASSERT_TRUE(tree->SelectSingleNode("b"));
  EXPECT_EQ(tree->SelectSingleNode("b")->text(), std::string(300, '='));
  EXPECT_FALSE(TMyParser().parseBytes(wide.replace(wide.find("<r") + 2, 0, " z='1'")));
}

}  // namespace
}  // namespace zz

// The shipped classifier files read into the code lists, and broken ones refused.
#include <gtest/gtest.h>

#include "settings/classifiers.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

// Runs the body with the current directory switched to a directory of our own classifier files,
// which are found before the shipped ones.
class ClassifiersTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  std::filesystem::path saved = std::filesystem::current_path();
  void SetUp() override { std::filesystem::current_path(dir.path()); }
  void TearDown() override { std::filesystem::current_path(saved); }
};

const char* kSchema = R"(<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:simpleType name="Другой"><xs:restriction base="xs:string"><xs:enumeration value="НЕТ"/></xs:restriction></xs:simpleType>
  <xs:simpleType name="КлассификаторДополнительныхСведенийИсчисленияСтажа">
    <xs:restriction base="xs:string"><xs:enumeration value="ДЕТИ"/><xs:enumeration value="ДЕКРЕТ"/></xs:restriction>
  </xs:simpleType>
</xs:schema>)";

const char* kData = R"(<?xml version="1.0" encoding="UTF-8"?>
<Классификаторы>
  <Раздел>
    <НеобходимостьПроставленияДополнительногоТарифа><Льгота Наименование="27-1"/><Льгота Наименование="27-2"/></НеобходимостьПроставленияДополнительногоТарифа>
  </Раздел>
  <ОсобыеПериоды>
    <Период Наименование="ДЕТИ" ДействуетС="" ДействуетПо=""/>
    <Период Наименование="НЕОПЛ" рсв="" ДействуетС="01.01.2010" ДействуетПо=""/>
    <Другое Наименование="НЕТ"/>
  </ОсобыеПериоды>
  <ОсобыеПериоды><Период Наименование="ВТОРАЯГРУППА"/></ОсобыеПериоды>
  <СоответствиеОснованийЛьгот>
    <ОдноименныеЛьготы><Льгота Наименование="СТАР1"/></ОдноименныеЛьготы>
    <ОдноименныеЛьготы><Льгота Наименование="СТАР2"/><Льгота Наименование="НОВ2"/></ОдноименныеЛьготы>
  </СоответствиеОснованийЛьгот>
  <ОшибкиНеполнойСтавки>
    <Ошибка ЛьготноеОснование="27-1" Код="1010100А" ОснованиеВыслуги=""/>
    <Ошибка ЛьготноеОснование="" Код="12300000-20426" ОснованиеВыслуги="27-ГД" ДопустимаяСтавка="0,5"/>
  </ОшибкиНеполнойСтавки>
  <ПредупрежденияНеполнойСтавки><Предупреждение ЛьготноеОснование="27-2" Код="" ОснованиеВыслуги="27-СМ"/></ПредупрежденияНеполнойСтавки>
</Классификаторы>)";

TEST_F(ClassifiersTest, ListsFollowTheGroupsOfOurFiles) {
  test::WriteFile(dir / "perech-lmvt.xsd", kSchema);
  test::WriteFile(dir / "perech-lmvt-additional.xml", kData);
  FillClassifiers();
  EXPECT_TRUE(TSettings::GetInstance().FHasXMLClassifiers);
  using V = std::vector<std::string>;
  EXPECT_EQ(ClassifierList(ctAddStag), (V{"ДЕТИ", "ДЕКРЕТ"}));
  EXPECT_EQ(ClassifierList(ctAddTariff), (V{"27-1", "27-2"}));
  EXPECT_EQ(ClassifierList(ctAddPdData), (V{"ДЕТИ", "НЕОПЛ"}));  // first group only
  EXPECT_EQ(ClassifierList(ctAddPdDataRsv), (V{"НЕОПЛ"}));
  EXPECT_EQ(ClassifierList(ctAddPdDataStartDates), (V{"", "01.01.2010"}));
  EXPECT_EQ(ClassifierList(ctAddPdDataEndDates), (V{"", ""}));
  // A group with one ground adds to the old names only, so pairs shift.
  EXPECT_EQ(ClassifierList(ctReplaceFrom), (V{"СТАР1", "СТАР2"}));
  EXPECT_EQ(ClassifierList(ctReplaceTo), (V{"НОВ2"}));
  EXPECT_EQ(ClassifierList(ctPartTimeError), (V{"27-1;1010100А;", "0,5;;12300000-20426;27-ГД"}));
  EXPECT_EQ(ClassifierList(ctPartTimeWarning), (V{"27-2;;27-СМ"}));
}

TEST_F(ClassifiersTest, BrokenDataFileLeavesOnlyTheSeniorityList) {
  test::WriteFile(dir / "perech-lmvt.xsd", kSchema);
  test::WriteFile(dir / "perech-lmvt-additional.xml", "<Классификаторы><ОсобыеПериоды>");
  FillClassifiers();
  EXPECT_FALSE(TSettings::GetInstance().FHasXMLClassifiers);
  EXPECT_NO_THROW(ClassifierList(ctAddStag));
  try {
    ClassifierList(ctAddPdData);
    FAIL() << "list built from a broken file";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "Item not found");
  }
}

TEST_F(ClassifiersTest, SchemaWithoutTheSeniorityTypeFails) {
  test::WriteFile(dir / "perech-lmvt.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>");
  EXPECT_THROW(FillClassifiers(), std::runtime_error);
  test::WriteFile(dir / "perech-lmvt.xsd", "not xml");
  EXPECT_THROW(FillClassifiers(), std::runtime_error);
}

TEST_F(ClassifiersTest, InClassifierIsASubstringTest) {
  Classifiers()[ctAddTariff] = {"", "ВЛ"};
  EXPECT_TRUE(InClassifier(ctAddTariff, "ВЛ-1"));
  EXPECT_FALSE(InClassifier(ctAddTariff, "вл-1"));
  EXPECT_FALSE(InClassifier(ctAddTariff, "27-1"));  // the empty entry matches nothing
  EXPECT_TRUE(AnyInClassifier(ctAddTariff, {"x", "xВЛx"}));
  EXPECT_THROW(InClassifier(ctAddPdData, "x"), std::out_of_range);
}

TEST_F(ClassifiersTest, ShippedFilesHoldEveryCodeTheProgramNames) {
  std::filesystem::current_path(saved);  // the shipped copies beside the test executable
  std::filesystem::current_path(ZAZORU_BINARY_DIR);
  FillClassifiers();
  ASSERT_TRUE(TSettings::GetInstance().FHasXMLClassifiers);
  const auto& codes = ClassifierList(ctAddPdData);
  for (const char* code :
       {"АДМИНИСТР", "НЕОПЛ",    "ВРНЕТРУД", "МЕСЯЦ",    "МЕДНЕТРУД", "ДЛОТПУСК", "ДЕТИ",       "ДЛДЕТИ",
        "ДЕКРЕТ",    "КВАЛИФ",   "КВАЛИФОБ", "КВАЛИФОЦ", "ДИСПР",     "ВАХТА",    "ВРНЕТРУСПО", "ВОЕНСЛ",
        "ДОГОВОР",   "НЕОПЛДОГ", "НЕОПЛАВТ", "ЗГДС",     "ЗГД",       "ЗГГС",     "ЗМС",        "ЗМД",
        "ОБЩЕСТ",    "СДКРОВ",   "ОТСТРАН",  "ПРОСТОЙ",  "УЧОТПУСК",  "ДЕТИПРЛ",  "ЧАЭС",       "ДОПВЫХ"})
    EXPECT_TRUE(std::find(codes.begin(), codes.end(), code) != codes.end()) << code;
  EXPECT_EQ(ClassifierList(ctAddPdDataStartDates).size(), codes.size());
  EXPECT_EQ(ClassifierList(ctAddPdDataEndDates).size(), codes.size());
  EXPECT_FALSE(ClassifierList(ctAddPdDataRsv).empty());
  EXPECT_FALSE(ClassifierList(ctAddStag).empty());
  EXPECT_EQ(ClassifierList(ctReplaceFrom).size(), ClassifierList(ctReplaceTo).size());
  EXPECT_FALSE(ClassifierList(ctPartTimeError).empty());
  EXPECT_FALSE(ClassifierList(ctPartTimeWarning).empty());
  const auto& tariff = ClassifierList(ctAddTariff);
  for (const char* ground : {"27-1", "27-2", "27-3", "27-18"})
    EXPECT_TRUE(std::find(tariff.begin(), tariff.end(), ground) != tariff.end()) << ground;
}

}  // namespace
}  // namespace zz

// Recognition of IS files of every generation and kind.
#include <gtest/gtest.h>

#include "is_file_fixture.h"
#include "isdata/work_period.h"

namespace zz {
namespace {

using test::IsFileTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecognitionTest : public IsFileTest {};

struct TAccepted {
  const char* File;
  TPDType Kind;
  TUtModeFormat Mode;
  int Year, Period, CorrYear, CorrPeriod;
  bool Correction;
  TUtDataType DataType;
  const char* Category;
};

TEST_F(RecognitionTest, EveryGenerationAndKindIsAccepted) {
  const TAccepted cases[] = {
      {"szv61_2013_cp1251.xml", pdtSZV61, umfNone, 2013, 3, 2013, 3, false, udtBaseBase, "НР"},
      {"szv64_2013_cp1251.xml", pdtSZV64, umfNone, 2013, 4, 2013, 4, false, udtBaseBase, "НР"},
      {"rsv1_2014_utf8.xml", pdtRSV1, umfNone, 2014, 1, 2014, 1, false, udtBaseBase, ""},
      {"spv2_2015_cp1251.xml", pdtSPV2, umfNone, 2015, 2, 2015, 2, false, udtBaseBase, ""},
      {"szv_isx_2017_af.xml", pdtSZVBase, umfOld, 2017, 4, 2017, 4, false, udtBaseBase, ""},
      {"szv_stag_2018_is4.xml", pdtSZVStag, umfNewest, 2018, 4, 2018, 4, false, udtStagBase, ""},
      {"szv_korr_2018_is5.xml", pdtSZVCorr, umfRedHot, 2018, 4, 2017, 4, true, udtCorrCorr, ""},
      // ЕФС-1 reports whole years: period 4, the years come with the persons' subsections.
      {"efs1_2023.xml", pdtEFS1, umfRedHot, 0, 4, 0, 4, false, udtBaseBase, ""},
  };
  for (const TAccepted& c : cases) {
    SCOPED_TRACE(c.File);
    std::optional<TBaseData> data = Recognise(File(c.File));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->PDType(), c.Kind);
    EXPECT_EQ(data->UtMode(), c.Mode);
    EXPECT_EQ(data->Year(), c.Year);
    EXPECT_EQ(data->Period(), c.Period);
    EXPECT_EQ(data->CorrYear(), c.CorrYear);
    EXPECT_EQ(data->CorrPeriod(), c.CorrPeriod);
    EXPECT_EQ(data->Correction(), c.Correction);
    EXPECT_EQ(data->UtDataType(), c.DataType);
    EXPECT_EQ(data->CategoryCode(), c.Category);
  }
  EXPECT_EQ(Recognise(File("szv64_2013_cp1251.xml"))->ContractType(), "ТРУДОВОЙ");
  EXPECT_THAT(errors, IsEmpty());
  EXPECT_NE(std::find(infos.begin(), infos.end(), "---ВидФормы=СЗВ-6-1"), infos.end());
  EXPECT_NE(std::find(infos.begin(), infos.end(), "---ТипСведений=Корректирующая"), infos.end());
}

TEST_F(RecognitionTest, FormKindOfTheContributionFilesComesFromВидФормы) {
  auto kind = [this](const std::string& form) {
    std::optional<TBaseData> data = Recognise(Xml(Changed("szv61_2013_cp1251.xml", {{">СЗВ-6-1<", ">" + form + "<"}})));
    return data ? std::optional<TPDType>(data->PDType()) : std::nullopt;
  };
  EXPECT_EQ(kind("СПВ-1"), pdtSPV1);
  EXPECT_EQ(kind("СЗВ-6-2"), pdtSZV62);
  EXPECT_EQ(kind("СЗВ-6-3"), std::nullopt);
}

TEST_F(RecognitionTest, CorrectionsAndTheirCorrectedPeriods) {
  // Before 2017: КорректируемыйОтчетныйПериод.
  std::string corrected =
      Changed("szv61_2013_cp1251.xml", {{"<ТипСведений>ИСХОДНАЯ", "<ТипСведений>КОРРЕКТИРУЮЩАЯ"},
                                        {"<КодКатегории>",
                                         "<КорректируемыйОтчетныйПериод><Квартал>1</Квартал><Год>2012</"
                                         "Год></КорректируемыйОтчетныйПериод><КодКатегории>"}});
  std::optional<TBaseData> data = Recognise(Xml(corrected));
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->Correction());
  EXPECT_EQ(data->CorrYear(), 2012);
  EXPECT_EQ(data->CorrPeriod(), 1);
  // The search period may match either period.
  EXPECT_TRUE(Recognise(Xml(corrected), 0, 1));
  EXPECT_FALSE(Recognise(Xml(corrected), 0, 2));

  // A supplementing СЗВ-СТАЖ corrects its own period.
  data = Recognise(Xml(Changed("szv_stag_2018_is4.xml", {{"<Тип>0</Тип>", "<Тип>1</Тип>"}})));
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->Correction());
  EXPECT_EQ(data->UtDataType(), udtStagAdd);
  EXPECT_EQ(data->CorrYear(), 2018);
  EXPECT_EQ(data->CorrPeriod(), 4);

  // Cancelling submissions are not reconciled, and say nothing about it.
  EXPECT_FALSE(Recognise(Xml(Changed("szv61_2013_cp1251.xml", {{">ИСХОДНАЯ<", ">ОТМЕНЯЮЩАЯ<"}}))));
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(RecognitionTest, RejectionsThatLogAnError) {
  struct TCase {
    std::string Text;
    std::string Error;
  };
  const TCase cases[] = {
      {Changed("szv_stag_2018_is4.xml", {{" xmlns:ИС4=", " xmlns:Х="}, {" xmlns:АФ4=", " xmlns:Y="}}),
       "Не удалось распознать подвид формата ИС, действующего с 2017 года"},
      {Changed("szv_stag_2018_is4.xml", {{"087-001-000001", "87-001-000001"}}),
       "Регистрационный номер \"87-001-000001\" не совпадает с требуемым(\"087-001-000001\")"},
      {Changed("szv_stag_2018_is4.xml", {{"УТ2:РегНомер", "УТ2:Номер"}}), "Не указан регистрационный номер"},
      {Changed("szv_stag_2018_is4.xml", {{"СЗВ-СТАЖ>", "СЗВ-ИНОЕ>"}}), "Форма документа не поддерживается"},
      {Changed("szv_stag_2018_is4.xml", {{"<Тип>0</Тип>", "<Тип>2</Тип>"}}), "Тип формы документа не поддерживается"},
      {Changed("szv_korr_2018_is5.xml", {{"<Тип>0</Тип>", "<Тип>1</Тип>"}}), "Тип формы документа не поддерживается"},
      {Changed("szv61_2013_cp1251.xml", {{"ТипДокумента>", "ВидДокумента>"}}), "Не указан тип документа"},
      {Changed("szv61_2013_cp1251.xml", {{"<ТипДокумента>СВЕДЕНИЯ", "<ТипДокумента>ДАННЫЕ"}}),
       "Не указан тип документа"},
  };
  for (const TCase& c : cases) {
    errors.clear();
    EXPECT_FALSE(Recognise(Xml(c.Text)));
    EXPECT_THAT(errors, ElementsAre(c.Error));
  }
  errors.clear();
  EXPECT_FALSE(Recognise(nullptr));
  EXPECT_THAT(errors, ElementsAre("Не удалось прочитать файл XML"));
}

TEST_F(RecognitionTest, GenerationByTheFirstDeclaredNamespace) {
  std::string efsAndIs5 = Text("efs1_2023.xml");
  EXPECT_EQ(Recognise(Xml(efsAndIs5))->PDType(), pdtEFS1);
  std::string is2 = Changed("szv_korr_2018_is5.xml", {{"ИС5", "ИС2"}, {"АФ5", "АФ4"}});
  EXPECT_EQ(Recognise(Xml(is2))->UtMode(), umfNew);
  // СЗВ-СТАЖ wins over СЗВ-КОРР in the same file.
  std::string both =
      Changed("szv_stag_2018_is4.xml", {{"</СЗВ-СТАЖ>", "</СЗВ-СТАЖ><СЗВ-КОРР><Тип>0</Тип></СЗВ-КОРР>"}});
  EXPECT_EQ(Recognise(Xml(both))->PDType(), pdtSZVStag);
}

TEST_F(RecognitionTest, SearchYearAndPeriodFilters) {
  const TMyNode* efs = File("efs1_2023.xml");
  EXPECT_FALSE(Recognise(efs, 2022));
  EXPECT_TRUE(Recognise(efs, 2023));
  EXPECT_TRUE(Recognise(efs, 2025, 4));
  EXPECT_FALSE(Recognise(efs, 2023, 2));
  const TMyNode* stag = File("szv_stag_2018_is4.xml");
  EXPECT_TRUE(Recognise(stag, 2018, 4));
  EXPECT_FALSE(Recognise(stag, 2019));
  EXPECT_FALSE(Recognise(stag, 2018, 3));
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(RecognitionTest, PeriodCodeTableAndYearLimits) {
  using TEdits = std::vector<std::pair<std::string, std::string>>;
  auto period = [this](const std::string& file, const TEdits& edits) {
    std::optional<TBaseData> data = Recognise(Xml(Changed(file, edits)));
    return data ? data->Period() : -1;
  };
  const std::string stag = "szv_stag_2018_is4.xml", rsv = "rsv1_2014_utf8.xml", szv61 = "szv61_2013_cp1251.xml",
                    szv64 = "szv64_2013_cp1251.xml";
  const std::string q3 = "<Квартал>3</Квартал>", y2013 = "<Год>2013</Год>";
  EXPECT_EQ(period(stag, {{"<Код>0</Код>", "<Код>3</Код>"}}), -1);
  EXPECT_EQ(period(rsv, {{q3, "<Квартал>6</Квартал>"}}), 2);
  EXPECT_EQ(period(rsv, {{q3, "<Квартал>0</Квартал>"}}), 4);
  EXPECT_EQ(period(rsv, {{q3, "<Квартал>1</Квартал>"}}), -1);
  EXPECT_EQ(period(szv61, {{q3, "<Квартал>6</Квартал>"}}), -1);
  // 2010 was reported in half-years.
  EXPECT_EQ(period(szv61, {{y2013, "<Год>2010</Год>"}, {q3, "<Квартал>1</Квартал>"}}), 2);
  EXPECT_EQ(period(szv61, {{y2013, "<Год>2010</Год>"}}), -1);
  EXPECT_EQ(period(szv61, {{y2013, "<Год>2009</Год>"}, {q3, "<Квартал>0</Квартал>"}}), -1);
  EXPECT_EQ(period(rsv, {{"<Год>2014</Год>", "<Год>2013</Год>"}, {q3, "<Квартал>1</Квартал>"}}), -1);
  EXPECT_EQ(period(szv64, {{y2013, "<Год>2012</Год>"}}), -1);
  EXPECT_EQ(period(szv64, {{"<Квартал>4</Квартал>", "<Квартал>four</Квартал>"}}), -1);
}

TEST_F(RecognitionTest, YearPartOfAnEFS1Pack) {
  TBaseData whole = *Recognise(File("efs1_2023.xml"));
  TWorkPeriod period;
  period.Year = 2023;
  period.CorrYear = 2021;
  TBaseData part(whole, period);
  EXPECT_EQ(part.Year(), 2023);
  EXPECT_EQ(part.CorrYear(), 2021);
  EXPECT_TRUE(part.Correction());
  EXPECT_EQ(part.Period(), 4);
  EXPECT_EQ(part.CorrPeriod(), 4);
  EXPECT_EQ(part.PDType(), pdtEFS1);
  period.CorrYear = 2023;
  EXPECT_FALSE(TBaseData(whole, period).Correction());
}

}  // namespace
}  // namespace zz

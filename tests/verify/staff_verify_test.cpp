// The three checks as the verification runs them: a Perechen read from XML, IS workers whose
// periods the driver splits and merges, and the blocks in the order the protocol prints them.
#include "staff_fixture.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

// Fourth quarter of 2020: one staff position of 27-1 and a named list of one person whose period
// carries the additional-tariff mark, a class and the ВИРУС basis (outside its window by now).
const char kPerechen[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Перечень ОтчетныйГод="2020" ОтчетныйПериод="12" Тип="ИСХОДНЫЙ">
  <Предприятие Наименование="Опытный завод" РегНомер="087-104-000001">
    <Подразделение Номер="3" Наименование="Литейный цех">
      <Позиция ДатаНач="01.01.2015">
        <ОснованиеЛьготы>27-1</ОснованиеЛьготы>
        <ПозицияСписка>1010100А</ПозицияСписка>
        <КоличествоШтат>1</КоличествоШтат>
      </Позиция>
      <ПоименныйСписок>
        <Работник СтраховойНомер="111-111-111 11" Фамилия="Литвинов" Имя="Олег">
          <ПериодРаботы ДатаНач="01.09.2020" ДатаКон="31.12.2020">
            <ОснованиеЛьготы>27-1</ОснованиеЛьготы>
            <ПозицияСписка>1010100А</ПозицияСписка>
            <ДополнительныйТариф>ДТ</ДополнительныйТариф>
            <КлассУТ>3.1</КлассУТ>
            <ОснованиеИсчисленияСтажа>ВИРУС</ОснованиеИсчисленияСтажа>
          </ПериодРаботы>
        </Работник>
      </ПоименныйСписок>
    </Подразделение>
  </Предприятие>
</Перечень>
)";

class StaffVerifyTest : public test::CheckFixture {
 protected:
  // An IS period as the pack reader leaves it: not merged yet.
  void IsPeriod(TWorker* w, const char* start, const char* finish, const char* base) {
    Period(w, start, finish, {base}, "1010100А");
    w->MergedWorkPeriods.clear();
  }
};

TEST_F(StaffVerifyTest, ChecksRunInTheDriversOrder) {
  TMyTreePtr tree = TMyParser().parseBytes(kPerechen);
  ASSERT_TRUE(tree);
  list->fYear = 2020;
  list->readStaff(2020, 4, tree.get());
  ASSERT_EQ(list->fWorkers.size(), 1u);
  // The person of the named list, paid at the tariff in his class, in two periods the driver joins.
  TWorker* paid = IsWorker("111-111-111 11", "ЛИТВИНОВ");
  Payment(paid, 5000, "3.1", "1");
  IsPeriod(paid, "01.10.2020", "30.11.2020", "27-1");
  IsPeriod(paid, "01.12.2020", "31.12.2020", "27-1");
  // Someone not in the list: unpaid benefit, and a period of a kind the Perechen has no position for.
  TWorker* other = IsWorker("222-222-222 22", "ОРЛОВ");
  IsPeriod(other, "01.10.2020", "31.12.2020", "27-1");
  IsPeriod(other, "01.10.2020", "31.12.2020", "27-ПД");

  v->fWithPositions = true;
  v->verify(list.get(), is, 2020, 4);

  EXPECT_TRUE(Warnings().empty());
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors", "TBeerusErrors", "TWorkingDaysErrors", "TPositionErrors"));
  EXPECT_EQ(Cells("TAddTariffErrors", 0)[2], "222-222-222 22");
  EXPECT_EQ(Cells("TBeerusErrors", 0)[0], "3");
  // 92 days of the quarter allowed; 92 + 92 reported by two persons.
  EXPECT_THAT(Cells("TWorkingDaysErrors", 0), ElementsAre("27-1 (1010100А)", "1", "92", "2", "184", "92"));
  EXPECT_EQ(Cells("TPositionErrors", 0)[4], "27-ПД");
  EXPECT_EQ(list->fWorkers[0]->PackNum, "7");
}

}  // namespace
}  // namespace zz

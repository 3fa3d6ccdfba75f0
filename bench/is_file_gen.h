#pragma once
// The benchmarks' IS file: persons with ФИО, СНИЛС and two to four СтажевыйПериод, each with one or
// two ЛьготныйСтаж holding territorial and special working conditions; UTF-8, CR LF, indented.
// Two shapes from the same random draws:
//   - XmlTree: the element layout the XML node tree benchmark has always measured;
//   - SzvStag: the same persons as a СЗВ-СТАЖ of the ИС5 generation, which recognition and the
//     pack reader accept.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace bench {

const char* const kSurnames[] = {"ИВАНОВ", "ПЕТРОВА", "СИДОРЕНКО", "КУЗНЕЦОВ", "ЁЛКИНА", "СМИРНОВ", "ВАСИЛЬЕВ"};
const char* const kNames[] = {"ИВАН", "МАРИЯ", "ПЁТР", "АННА", "СЕРГЕЙ", "ОЛЬГА", "НИКОЛАЙ"};
const char* const kPatronymics[] = {"ИВАНОВИЧ", "ПЕТРОВНА", "СЕРГЕЕВИЧ", "НИКОЛАЕВНА", "АЛЕКСАНДРОВИЧ"};
const char* const kGrounds[] = {"27-1", "27-2", "27-5", "27-ПД", "27-ГД", "27-СМХР"};
const char* const kPositions[] = {"1010100а-11443", "2290000а-18455", "23200000-19756", "1080А010-17541"};
const char* const kTerritory[] = {"РКС", "МКС", "СЕЛО"};

inline const char kRegNum[] = "087-001-000001";

struct TRandom {
  uint64_t s = 88172645463325252ull;
  unsigned Next(unsigned n) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<unsigned>(s % n);
  }
};

inline std::string Snils(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03d-%03d-%03d %02d", 100 + i / 1000000 % 900, i / 1000 % 1000, i % 1000, i % 97);
  return buf;
}

enum class TShape { XmlTree, SzvStag };

inline void GenerateIsFile(const std::string& path, int persons, TShape shape) {
  std::ofstream out(path, std::ios::binary);
  TRandom rnd;
  const char* nl = "\r\n";
  const bool szv = shape == TShape::SzvStag;
  // Element names of the two shapes.
  const char* person = szv ? "ЗЛ" : "СведенияОЗЛ";
  const char* lgot = szv ? "ИС5:ЛьготныйСтаж" : "ЛьготныйСтаж";
  if (szv) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << nl
        << "<ЭДФЗЖ xmlns:УТ2=\"http://example.invalid/ut2\" xmlns:ИС5=\"http://example.invalid/is5\""
           " xmlns:АФ5=\"http://example.invalid/af5\" xmlns:ВС2=\"http://example.invalid/vs2\">"
        << nl << "  <СлужебнаяИнформация>" << nl << "    <АФ5:GUID>5b0e7c1a-0000-4000-8000-000000000001</АФ5:GUID>"
        << nl << "    <АФ5:ДатаВремя>2018-01-20T10:00:00</АФ5:ДатаВремя>" << nl << "  </СлужебнаяИнформация>" << nl
        << "  <ОДВ-1>" << nl << "    <Страхователь>" << nl << "      <УТ2:РегНомер>" << kRegNum << "</УТ2:РегНомер>"
        << nl << "      <ИС5:Наименование>ООО &quot;РОМАШКА&quot;</ИС5:Наименование>" << nl << "    </Страхователь>"
        << nl << "  </ОДВ-1>" << nl << "  <СЗВ-СТАЖ>" << nl << "    <Тип>0</Тип>" << nl << "    <ОтчетныйПериод>" << nl
        << "      <Код>0</Код>" << nl << "      <Год>2017</Год>" << nl << "    </ОтчетныйПериод>" << nl;
  } else {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << nl
        << "<Файл xmlns:АФ5=\"http://example.invalid/af5\" xmlns:УТ2=\"http://example.invalid/ut2\""
           " xmlns:ВС2=\"http://example.invalid/vs2\">"
        << nl << "  <СЗВ-СТАЖ>" << nl << "    <Страхователь>" << nl << "      <РегНомер>" << kRegNum << "</РегНомер>"
        << nl << "      <ИНН>7701234567</ИНН>" << nl << "      <КПП>770101001</КПП>" << nl
        << "      <Наименование>ООО &quot;РОМАШКА&quot;</Наименование>" << nl << "    </Страхователь>" << nl
        << "    <ОтчетныйГод>2017</ОтчетныйГод>" << nl << "    <ТипСведений>ИСХОДНАЯ</ТипСведений>" << nl;
  }
  for (int i = 0; i < persons; ++i) {
    out << "    <" << person << ">" << nl << "      <НомерПП>" << i + 1 << "</НомерПП>" << nl << "      <ФИО>" << nl
        << "        <УТ2:Фамилия>" << kSurnames[rnd.Next(7)] << "</УТ2:Фамилия>" << nl << "        <УТ2:Имя>"
        << kNames[rnd.Next(7)] << "</УТ2:Имя>" << nl << "        <УТ2:Отчество>" << kPatronymics[rnd.Next(5)]
        << "</УТ2:Отчество>" << nl << "      </ФИО>" << nl << "      <СНИЛС>" << Snils(i) << "</СНИЛС>" << nl;
    int periods = 2 + static_cast<int>(rnd.Next(3));
    for (int p = 0; p < periods; ++p) {
      int m = 1 + p * 3;
      const char* m0 = m < 10 ? "0" : "";
      const char* e0 = m + 2 < 10 ? "0" : "";
      out << "      <СтажевыйПериод>" << nl << "        <НомерСтроки>" << p + 1 << "</НомерСтроки>" << nl;
      if (szv)
        out << "        <ИС5:Период><УТ2:С>2017-" << m0 << m << "-01</УТ2:С><УТ2:По>2017-" << e0 << m + 2
            << "-28</УТ2:По></ИС5:Период>" << nl;
      else
        out << "        <ДатаНачалаПериода>2017-" << m0 << m << "-01</ДатаНачалаПериода>" << nl
            << "        <ДатаКонцаПериода>2017-" << e0 << m + 2 << "-28</ДатаКонцаПериода>" << nl;
      int privileged = 1 + static_cast<int>(rnd.Next(2));
      for (int l = 0; l < privileged; ++l) {
        out << "        <" << lgot << ">" << nl << "          <НомерСтроки>" << l + 1 << "</НомерСтроки>" << nl;
        if (rnd.Next(2) == 0) {
          const char* tu = kTerritory[rnd.Next(3)];
          if (szv)
            out << "          <ИС5:ТУ>" << nl << "            <ИС5:Основание>" << tu << "</ИС5:Основание>" << nl
                << "            <ИС5:Коэффициент>1.50</ИС5:Коэффициент>" << nl << "          </ИС5:ТУ>" << nl;
          else
            out << "          <ТерриториальныеУсловия>" << nl << "            <ОснованиеТУ>" << tu << "</ОснованиеТУ>"
                << nl << "            <Коэффициент>1.50</Коэффициент>" << nl << "          </ТерриториальныеУсловия>"
                << nl;
        }
        unsigned ground = rnd.Next(6);
        const char* position = kPositions[rnd.Next(4)];
        if (!szv)
          out << "          <ОсобыеУсловияТруда>" << nl << "            <ОснованиеОУТ>" << kGrounds[ground]
              << "</ОснованиеОУТ>" << nl << "            <ПозицияСписка>" << position << "</ПозицияСписка>" << nl
              << "          </ОсобыеУсловияТруда>" << nl;
        else if (ground < 3)  // special working conditions with a list position
          out << "          <ИС5:ОУТ>" << nl << "            <ИС5:Код>" << kGrounds[ground] << "</ИС5:Код>" << nl
              << "            <ИС5:ПозицияСписка>" << position << "</ИС5:ПозицияСписка>" << nl << "          </ИС5:ОУТ>"
              << nl;
        else  // long-service grounds with a rate
          out << "          <ИС5:ВЛ>" << nl << "            <ИС5:Основание>" << kGrounds[ground] << "</ИС5:Основание>"
              << nl << "            <ИС5:ДоляСтавки>1</ИС5:ДоляСтавки>" << nl << "          </ИС5:ВЛ>" << nl;
        if (rnd.Next(3) == 0) {
          if (szv)
            out << "          <ИС5:ИС>" << nl << "            <ИС5:Основание>ВОДОЛАЗ</ИС5:Основание>" << nl
                << "          </ИС5:ИС>" << nl;
          else
            out << "          <ИсчисляемыйСтаж>" << nl << "            <ИВЛ>ВОДОЛАЗ</ИВЛ>" << nl
                << "          </ИсчисляемыйСтаж>" << nl;
        }
        out << "        </" << lgot << ">" << nl;
      }
      out << "      </СтажевыйПериод>" << nl;
    }
    out << "    </" << person << ">" << nl;
  }
  out << "  </СЗВ-СТАЖ>" << nl << (szv ? "</ЭДФЗЖ>" : "</Файл>") << nl;
}

// ------------------------------------------------------------------------------------------------
// Measuring helpers.

inline long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

// Resets the peak resident size (VmHWM); false where the kernel does not allow it.
inline bool ResetPeak() {
  std::ofstream f("/proc/self/clear_refs");
  f << "5";
  return static_cast<bool>(f);
}

}  // namespace bench

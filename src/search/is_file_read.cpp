// Reading one IS file into a pack on whichever thread: the tree, the recognition, the pack, the messages.
#include "search/is_file_read.h"

#include "base/reporting_period.h"
#include "isdata/base_data.h"
#include "xml/my_parser.h"

namespace zz {

TISFileRead ReadISFile(const std::string& path, const std::string& displayName, const TISFileQuery& query) {
  TISFileRead read;
  TLogCaptureScope capture(read.Log);
  TLoggingObject log;
  try {
    // Where the user put it, and where it is read from when that is elsewhere (unpacked, staged).
    log.WriteLogEntry("***отрабатываем " + (displayName == path ? path : displayName + " (" + path + ")"));
    TReadResult<TMyTreePtr> document = ReadXmlTree(path);
    if (!document) {
      // Never read in part: the whole file is out.
      read.Unreadable = document.Error();
      return read;
    }
    TMyTreePtr tree = std::move(*document);
    log.WriteLogEntry("***первоначальный разбор xml-файл");
    std::optional<TBaseData> base = TBaseData::TryGetBaseData(query.RegNum, tree.get(), 0, 0);
    log.WriteLogEntry("***первоначальный разбор xml-файл завершен");

    if (!base) {
      log.WriteLogEntry("***xml-файл не удовлетворяет требованиям");
      return read;
    }
    if (!(query.Year == 0 || base->IsEFS1() || (!base->Correction() && base->Year() == query.Year) ||
          (base->Correction() && base->CorrYear() == query.Year))) {
      log.WriteLogEntry("***год пачки не совпадает с выбранным в настройках годом (" + std::to_string(base->Year()) +
                        ")");
      return read;
    }
    if (query.Period != 0 && query.Period != base->Period()) {
      log.WriteLogEntry("***период пачки не совпадает с выбранным в настройках периодом (" +
                        std::to_string(MonthsPerPeriod(base->Year()) * base->Period()) + " месяцев)");
      return read;
    }
    log.WriteLogEntry("***xml-файл удовлетворяет требованиям");
    read.Accepted = true;
    log.WriteLogEntry("***дополнительный разбор xml-файл");
    read.Pack = TPack::TryGetPackData(tree.get(), base->PDType(), read.HeaderMessages, *base, displayName);
    log.WriteLogEntry("***дополнительный разбор xml-файл завершен");
    if (!read.Pack) {
      log.WriteLogEntry("---возникли ошибки при дополнительном разборе пачки");
      return read;
    }
    log.WriteLogEntry("***чтение льготников");
    read.Pack->ReadWorkers(tree.get(), query.Year);
    log.WriteLogEntry("***чтение льготников завершено");
    log.WriteLogEntry("***формирование пачки завершено");
  } catch (...) {
    read.Pack.reset();
    read.Failure = std::current_exception();
  }
  return read;
}

}  // namespace zz

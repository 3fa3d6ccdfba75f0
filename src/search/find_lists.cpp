// The list acquisition: a Perechen for every set, from the list server or from local files.
#include "base/run_cancel.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "search/searcher.h"
#include "xml/my_parser.h"

namespace zz {

void TSearcher::FindLists() {
  Progress(0, 0, "Поиск файла Перечня...");
  if (fSets.empty()) return;
  WriteLogEntry("***перебираем сэты и к каждому периоду ищем перечень. Всего сэтов " + std::to_string(fSets.size()));
  if (fParams.UseUL() || fParams.FMode == mBPI) {
    FindListsOnServer();
    if (fExitCode == ecSettingsOrServer) return;
  } else {
    FindListsInFiles();
  }
  WriteLogEntry("***подбор перечней к сэтам завершен");
}

void TSearcher::FindListsOnServer() {
  TListAcquisition acquisition(
      fParams, [this](std::unique_ptr<TListError> e) { AddMessage(std::move(e)); }, fListServerLimits);
  for (auto& set : fSets) {
    CheckRunCancel();
    const int year = set->FYear;
    const TServerQuarterRange range = ServerQuarterRange(year, set->FPeriod);
    WriteLogEntry("***выполняем запрос к Ливерто");
    TListReply found;
    std::string foundDescription;
    for (int p = range.High; p >= range.Low && !found; --p) {
      const std::string reg = fParams.GetActualRegNum(year, p);
      WriteLogEntry("***запрос к Ливерто на поиск перечня для организации (" + reg + ") период " + std::to_string(p) +
                    "." + std::to_string(year));
      const int collect = ServerCollect(p, range.Low);
      TListReply reply = acquisition.QueryListServer(fParams.GetULQueryURL(reg, year, p), year, collect, p);
      WriteLogEntry("***запрос к Ливерто завершен");
      if (acquisition.Failed()) {
        fExitCode = ecSettingsOrServer;
        WriteLogEntry("---возникли проблемы при запросе к Ливерто, код завершения программы " +
                          std::to_string(ecSettingsOrServer),
                      true);
        return;
      }
      if (!reply) continue;
      set->FOrganizationHasLists = true;
      WriteLogEntry("***проверяем, подходит ли нам данный перечень");
      std::string description;
      bool correcting = false;
      // The number is mapped for the quarter that was asked for.
      if (acquisition.CheckListHeader(reply.List, year, 0, p, description, correcting)) {
        if (ListElementQuarter(reply.List) == range.Low) {
          found = std::move(reply);
          foundDescription = description;
        }
      } else {
        WriteLogEntry("***проверка завершена, не подходит");
      }
    }
    if (!set->FHasLgot) {
      WriteLogEntry("--в сэте отсутствуют льготники, проверяем предоставляла ли организация перечни когда либо");
      WriteLogEntry(set->FOrganizationHasLists ? "---организация ранее предоставляла перечни"
                                               : "---организация ранее предоставляла не перечни");
    }
    if (!found) continue;
    WriteLogEntry("***проверка завершена, подходит");
    WriteLogEntry("***чтение и обработка перечня");
    try {
      set->FList =
          ReadListElement(found.List, year, ServerListPeriod(year, range.Low), ServerListFileName(foundDescription));
    } catch (const TListFieldError& e) {
      // A reply whose Perechen cannot be read whole is as good as a damaged one.
      acquisition.RefuseReply(year, range.Low, e.what());
      fExitCode = ecSettingsOrServer;
      return;
    }
    found = TListReply{};
    WriteLogEntry("***чтение и обработка перечня завершено");
    WriteLogEntry("---перечень подключен к сэту");
  }
}

void TSearcher::FindListsInFiles() {
  TListAcquisition acquisition(fParams, [this](std::unique_ptr<TListError> e) { AddMessage(std::move(e)); });
  const std::vector<std::string> candidates = fAllXMLFiles[xftList];
  if (!candidates.empty()) Progress(0, 0, "Найдены xml-файлы");
  const int n = static_cast<int>(candidates.size());
  for (int i = 0; i < n; ++i) {
    const std::string& path = candidates[static_cast<size_t>(i)];
    CheckRunCancel();
    try {
      // No position: reading one large Perechen takes seconds, and a bar standing still at a file's
      // start would look like a hang.
      Progress(0, 0, "Поиск Перечня: " + path);
      if (fUnreadable.contains(path)) continue;
      TReadResult<TMyTreePtr> document = ReadXmlTree(path);
      if (!document) {
        ReportUnreadable(path, document.Error());
        continue;
      }
      const TMyTreePtr& tree = *document;
      std::vector<const TMyNode*> elements;
      if (tree->NodeName() == "Перечень") elements.push_back(tree.get());
      for (const TMyNode* e : tree->GetElementsByTagName("Перечень")) elements.push_back(e);
      for (const TMyNode* element : elements) {
        std::string description;
        bool correcting = false;
        const int year = ListElementYear(element);
        const int q = ListElementQuarter(element);
        if (!acquisition.CheckListHeader(element, year, q, q, description, correcting)) continue;
        if (fParams.FCheckPerFormat) {
          std::vector<std::string> lines = acquisition.CheckListFormat(path);
          if (!lines.empty()) {
            for (const std::string& line : lines) {
              AddMessage(std::make_unique<TListError>("Проверка формата Перечня: " + line, year, q, nullptr, true));
              WriteLogEntry("Проверка формата Перечня: " + line);
            }
            continue;
          }
        }
        std::unique_ptr<TTheList> list = ReadListElement(element, year, q, DisplayName(path));
        for (auto& set : fSets) {
          if (set->FYear == year && (set->FPeriod == q || list->Accumulate())) {
            set->FList = std::move(list);
            break;
          }
        }
      }
    } catch (const TRunCancelled&) {
      throw;
    } catch (const TListFieldError& e) {
      WriteLogException(e);
      TReadError error = e.Error();
      error.File = path;
      ReportUnreadable(path, error);
    } catch (const std::exception& e) {
      // A candidate that fails while being read is named with its reason, never passed over.
      WriteLogException(e);
      ReportUnreadable(path, TReadError{e.what(), path});
    }
  }
}

}  // namespace zz

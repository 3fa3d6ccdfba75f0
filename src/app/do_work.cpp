// One reconciliation run.
#include <stdexcept>

#include "app/work_manager.h"

namespace zz {

namespace fs = std::filesystem;

void TWorkManager::doWork() {
  // A run always starts without the part files of an earlier one.
  for (const char* part : {"body.part", "footer.part", "corr.part", "init.part"}) {
    std::error_code ec;
    fs::remove(fs::path(fSettings.FDirReport) / part, ec);
  }
  // The search, the verification and the protocol are not part of this build yet: say so
  // rather than report a run that did not happen.
  throw std::runtime_error("Сверка в этой версии программы ещё недоступна: поиск ИС и формирование протокола не собраны");
}

}  // namespace zz

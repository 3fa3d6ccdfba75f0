// The Perechen reader, as the search over local files uses it: every "Перечень" element of the
// tree is read for its own year and period; the look-ups of what was read are then asked.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "xml/my_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zz::TMyTreePtr tree = zz::TMyParser().parseBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!tree) return 0;
  std::vector<const zz::TMyNode*> elements;
  if (tree->NodeName() == "Перечень") elements.push_back(tree.get());
  for (const zz::TMyNode* e : tree->GetElementsByTagName("Перечень")) elements.push_back(e);
  for (const zz::TMyNode* element : elements) {
    try {
      const int year = zz::ListElementYear(element);
      const int quarter = zz::ListElementQuarter(element);
      std::unique_ptr<zz::TTheList> list = zz::ReadListElement(element, year, quarter, "f.xml");
      for (zz::TWorker* w : list->fWorkers) zz::fuzz::Expect(list->FindWorkerBySN(w->SN) != nullptr, "worker found");
      for (zz::TPosition* p : list->fPositions) (void)p;
    } catch (const std::exception&) {
      // An unreadable Perechen is reported by its caller; not a finding.
    }
  }
  return 0;
}

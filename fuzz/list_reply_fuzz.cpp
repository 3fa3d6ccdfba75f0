// The handling of a list-server reply, as the search over the server does it: the reply is read,
// its message or first Perechen taken, the Perechen's header checked and the Perechen read. The
// reply arrives through the parser's file path, which reads the same bytes the same way as an
// HTTP body.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "base/exit_code.h"
#include "fuzz_support.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (zz::fuzz::ScratchDir() / "reply.xml").string();
  zz::fuzz::WriteBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));
  zz::TSettings& settings = zz::TSettings::GetInstance();
  // Either number of the test Perechen files, so that both pass the header check.
  settings.FRegNum = size % 2 ? "087-104-003215" : "087-104-000001";
  zz::SetRunExitCode(0);
  std::vector<std::unique_ptr<zz::TListError>> messages;
  zz::TListAcquisition acquisition(settings,
                                   [&](std::unique_ptr<zz::TListError> e) { messages.push_back(std::move(e)); });
  const int year = 2023, quarter = size > 0 ? 1 + data[size - 1] % 4 : 4;
  zz::TListReply reply = acquisition.QueryListServer(path, year, -1, quarter);
  zz::fuzz::Expect(reply || !messages.empty() || zz::RunExitCode() == 0, "a failed query leaves a message");
  if (!reply) return 0;
  try {
    std::string description;
    bool correcting = false;
    if (!acquisition.CheckListHeader(reply.List, year, 0, quarter, description, correcting)) return 0;
    std::unique_ptr<zz::TTheList> list =
        zz::ReadListElement(reply.List, year, zz::ListElementQuarter(reply.List), zz::ServerListFileName(description));
  } catch (const std::exception&) {
    // The run reports an unreadable Perechen; not a finding.
  }
  return 0;
}

#pragma once
// One IS file read on its own: parsed into a node tree, recognised, turned into a pack. Touches
// nothing of the run but the file, so that files can be read on several threads; the search takes
// the outcomes over in file order.
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "base/logger.h"
#include "base/read_result.h"
#include "pack/pack.h"

namespace zz {

// What decides whether a file is one of the run's.
struct TISFileQuery {
  std::string RegNum;
  int Year = 0;    // 0: any
  int Period = 0;  // 0: any
};

struct TISFileRead {
  TLogBuffer Log;                        // every log entry of the reading, in order
  std::optional<TReadError> Unreadable;  // why the file could not be read whole; nothing else is set then
  bool Accepted = false;                 // an IS file of the run's employer, year and quarter
  TMessageList HeaderMessages;           // on the pack's header, whether or not a pack came of it
  std::unique_ptr<TPack> Pack;           // none when not accepted or the header could not be read
  std::exception_ptr Failure;            // what ended the reading early, if anything did
};

// `path` is the file read; `displayName` names it in the pack and the messages.
TISFileRead ReadISFile(const std::string& path, const std::string& displayName, const TISFileQuery& query);

}  // namespace zz

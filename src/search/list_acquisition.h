#pragma once
// Building blocks of the Perechen acquisition: the query to the list server "Ливерто" with the
// handling of its reply, the header check of a "Перечень" element, the schema check of a local
// file, and the small rules the loop over the sets is made of.
//
// Messages for the protocol are TListError records tagged with the year and quarter they concern;
// they go to the sink the acquisition was made with (the searcher's message list). A failed server
// query is remembered (Failed): the run then ends with 21.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/logger.h"
#include "results/result.h"
#include "xml/http_get.h"
#include "xml/my_node.h"

namespace zz {

class TRunParams;
class TTheList;

using TListErrorSink = std::function<void(std::unique_ptr<TListError>)>;

// The reply of the list server: the whole document and its first "Перечень" element (null when the
// query gave no Perechen). The element lives as long as the reply.
struct TListReply {
  TMyTreePtr Tree;
  TMyNode* List = nullptr;
  explicit operator bool() const { return List != nullptr; }
};

// Quarters the server is asked for one set: from High down to Low.
struct TServerQuarterRange {
  int Low = 0;
  int High = 0;
};

// Limits of a server query: a silent or unreachable server is a failed query, not a hung run, and a
// reply larger than any Perechen could be is refused instead of filling the memory.
inline THttpGetLimits DefaultListServerLimits() {
  THttpGetLimits limits;
  limits.ConnectTimeoutMs = 15000;
  limits.TotalTimeoutMs = 120000;
  limits.MaxBodyBytes = size_t{256} << 20;
  return limits;
}

class TListAcquisition : public TLoggingObject {
 public:
  TListAcquisition(const TRunParams& params, TListErrorSink sink, THttpGetLimits limits = DefaultListServerLimits());

  // Asks the server. `collect` -1 adds no "collect" key. For 2010 `quarter` is the half-year (1, 2),
  // and the messages carry the half-year code (2, 4). Returns the first "Перечень" of a reply without
  // "ОсновноеСообщение"; no reply, an unreadable reply or an error reply fail the query (Failed).
  TListReply QueryListServer(const std::string& url, int year, int collect, int quarter);
  // A reply that cannot be used although it arrived (damaged, or a field of its Perechen unreadable):
  // the query failed, with the reason in the log.
  void RefuseReply(int year, int quarter, const std::string& reason);
  // A query failed: the server could not be asked, or its reply could not be used.
  bool Failed() const { return fFailed; }

  // True when the element belongs to the organisation (its registration number valid for `year` and
  // `regNumQuarter`), to `year` (0 = any) and to `quarter` (0 = any; a cumulative Perechen of a later
  // quarter also does), and has a type. Fills the description "за Y год Q период[ (накопительным
  // итогом)]" and the correcting flag. Any failure inside gives false without a message.
  bool CheckListHeader(const TMyNode* element, int year, int quarter, int regNumQuarter, std::string& description,
                       bool& correcting);

  // Validates the file against the shipped schema "perech-lmvt.xsd". Empty when the file conforms;
  // otherwise three lines: what and where, the reason, "Строка L, позиция P". Throws
  // std::runtime_error when the schema cannot be found or compiled.
  std::vector<std::string> CheckListFormat(const std::string& path);

  const THttpGetLimits& Limits() const { return fLimits; }

 private:
  void Add(std::unique_ptr<TListError> message);

  const TRunParams& fParams;
  TListErrorSink fSink;
  THttpGetLimits fLimits;
  bool fFailed = false;
};

// "ОтчетныйПериод" divided by 3 (absent, empty or "0" count as 12); throws when it is not a number.
int ListElementQuarter(const TMyNode* element);
// "ОтчетныйГод" as a number; throws when absent or not a number.
int ListElementYear(const TMyNode* element);
// "НакопитИтогом" is "1".
bool ListElementAccumulates(const TMyNode* element);

// For 2010 the half-years (low 2 for a set quarter above 2, else 1; high 2); otherwise the set's
// quarter up to 4.
TServerQuarterRange ServerQuarterRange(int year, int setQuarter);
// The "collect" value of the query for quarter p: the low bound while p is above it, else -1.
int ServerCollect(int p, int low);
// The Perechen's period after a server query: the low bound, for 2010 the half-year code (2 or 4).
int ServerListPeriod(int year, int low);
// The protocol's name of a Perechen from the server.
std::string ServerListFileName(const std::string& description);

// A Perechen read from the element: year, period, cumulative flag and file label set, then
// readStaff. Reading failures propagate.
std::unique_ptr<TTheList> ReadListElement(const TMyNode* element, int year, int period, const std::string& fileName);

}  // namespace zz

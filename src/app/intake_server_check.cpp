// The intake's one query to the list server before its first run, judged as a run judges its reply.
#include "app/intake_server_check.h"

#include <algorithm>
#include <chrono>

#include "search/list_acquisition.h"
#include "settings/settings.h"

namespace zz {

namespace {

// The acquisition's judgement of the reply, with its log lines kept as the reason instead of
// written to a run's log (the intake has none).
class TProbe : public TListAcquisition {
 public:
  using TListAcquisition::TListAcquisition;
  void WriteLogEntry(const std::string& entry, bool isError) override {
    if (!isError) return;
    for (const char* prefix : {"---причина: ", "---возникла ошибка при подключении к Ливерто: "})
      if (entry.rfind(prefix, 0) == 0) Reason = entry.substr(std::string(prefix).size());
  }
  std::string Reason;
};

}  // namespace

std::optional<std::string> CheckListServer(const TSettings& settings, const std::string& regNum, int timeoutSeconds) {
  THttpGetLimits limits = DefaultListServerLimits();
  const long timeoutMs = 1000L * std::max(1, timeoutSeconds);
  limits.TotalTimeoutMs = std::min(limits.TotalTimeoutMs, timeoutMs);
  limits.ConnectTimeoutMs = std::min(limits.ConnectTimeoutMs, timeoutMs);
  TProbe probe(settings, nullptr, limits);
  // Any year does: the reply's form is judged, not its content. This year's is one the server knows.
  const auto today =
      std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  const int year = settings.FYear > 0 ? settings.FYear : static_cast<int>(today.year());
  probe.QueryListServer(settings.GetULQueryURL(regNum, year, 4), year, -1, 4);
  if (!probe.Failed()) return std::nullopt;
  return probe.Reason.empty() ? std::string("сервер не ответил") : probe.Reason;
}

}  // namespace zz

#pragma once
// Cell texts shared by the record kinds: escaped, and empty cells for an absent person or period.
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/strings.h"
#include "isdata/node_data.h"
#include "isdata/worker.h"
#include "results/result.h"

namespace zz::cells {

using TCells = std::vector<std::string>;

inline std::string Esc(std::string_view text) { return HtmlEscape(text); }

inline TCells Concat(std::initializer_list<TCells> parts) {
  TCells all;
  for (const TCells& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Cell helpers: an absent object gives empty cells, never a crash.
inline TCells IsWorkerHead(const TWorker* w) {
  if (!w) return {"", "", "", ""};
  return {Esc(w->PackNum), Esc(w->NumInPack), Esc(w->SN), Esc(w->SurnameWithInitials())};
}

inline TCells ListWorkerHead(const TWorker* w) {
  if (!w) return {"", "", ""};
  return {Esc(w->SubNum), Esc(w->SN), Esc(w->SurnameWithInitials())};
}

inline std::string SN(const TWorker* w) { return w ? Esc(w->SN) : ""; }
inline std::string ShortName(const TWorker* w) { return w ? Esc(w->SurnameWithInitials()) : ""; }

inline std::string BasesOf(const TWorkPeriod* p) { return p ? Esc(p->Bases.DelimitedText()) : ""; }
inline std::string CodeOf(const TWorkPeriod* p) { return p ? Esc(p->ProfessionCode) : ""; }
inline std::string TerrOf(const TWorkPeriod* p) { return p ? Esc(p->TerritoryCondition) : ""; }
inline std::string AddDataOf(const TWorkPeriod* p) { return p ? Esc(p->AddPdData.ToString()) : ""; }
inline std::string BeginOf(const TWorkPeriod* p) { return p ? Esc(p->pBeginAsString()) : ""; }
inline std::string EndOf(const TWorkPeriod* p) { return p ? Esc(p->pEndAsString()) : ""; }
inline std::string PeriodOf(const TWorkPeriod* p) { return p ? Esc(p->pPeriodString()) : ""; }
inline std::string RateOf(const TWorkPeriod* p) { return p ? Esc(p->RateStr()) : ""; }
inline std::string WorkTimeOf(const TWorkPeriod* p) { return p ? Esc(p->WorkTimeAsString()) : ""; }
inline std::string SeniorityOf(const TWorkPeriod* p) { return p ? Esc(p->SeniorityBase()) : ""; }

// Bases; code; begin; end; rate; worked time; seniority basis; territorial condition; additional data.
inline TCells PeriodDetails(const TWorkPeriod* p) {
  if (!p) return TCells(9);
  return {BasesOf(p),     CodeOf(p), BeginOf(p),  EndOf(p), RateOf(p), Esc(p->CompactWorkTimeText()),
          SeniorityOf(p), TerrOf(p), AddDataOf(p)};
}

inline std::unique_ptr<TUCPData> Ucp(const TWorker* packOwner, const TNodeData* node) {
  return std::make_unique<TUCPData>(packOwner ? packOwner->PackNum : std::string(), node);
}

inline const TNodeData* NodeOf(const TWorkPeriod* p) { return p ? &p->NodeData : nullptr; }
inline const TNodeData* NodeOf(const TWorker* w) { return w ? &w->NodeData : nullptr; }

}  // namespace zz::cells

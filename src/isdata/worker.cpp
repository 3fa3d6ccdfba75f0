// An insured person's identity, name forms and periods.
#include "isdata/worker.h"

namespace zz {

namespace {

// First character of UTF-8 text (a whole code point; a broken sequence gives its first byte).
std::string FirstChar(const std::string& text) {
  if (text.empty()) return {};
  auto lead = static_cast<unsigned char>(text[0]);
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > text.size()) return text.substr(0, 1);
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return text.substr(0, 1);
  return text.substr(0, length);
}

}  // namespace

TWorker::TWorker(const TWorker& other)
    : TResultData(),
      PackNum(other.PackNum),
      NumInPack(other.NumInPack),
      SN(other.SN),
      SubNum(other.SubNum),
      FullNameNodeData(other.FullNameNodeData),
      NodeData(other.NodeData),
      PaymentsNodeData(other.PaymentsNodeData),
      Surname(other.Surname),
      Name(other.Name),
      Patronymic(other.Patronymic),
      HasAT(other.HasAT),
      CategoryCode(other.CategoryCode),
      FoundInPds(other.FoundInPds),
      IsEFS1(other.IsEFS1) {}

bool TWorker::AddWorkperiod(TWorkPeriod* period) {
  WorkPeriods.push_back(period);
  return true;
}

std::string TWorker::SurnameWithInitials() const {
  std::string text = Surname + " ";
  text += FirstChar(Name) + ".";
  if (!Patronymic.empty()) text += FirstChar(Patronymic) + ".";
  return text;
}

std::string TWorker::SurnameWithInitialsAndSN() const { return SurnameWithInitials() + " (" + SN + ")"; }

bool TWorker::HasLgotSidePeriodsOnly() const {
  for (const TWorkPeriod* period : MergedWorkPeriods)
    if (period && !period->Bases.Empty()) return false;
  return true;
}

}  // namespace zz

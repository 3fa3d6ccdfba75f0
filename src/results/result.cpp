// Printing messages and tables of records into the protocol.
#include "results/result.h"

#include <algorithm>

#include "base/strings.h"
#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"

namespace zz {

// ---------------------------------------------------------------------------------------------
// Messages

void TOneMessageResult::PrintResult(TStreamWriter& writer, int&, int&, std::string&) {
  if (IsError)
    writer.WriteLine("<h3 style=\"color:red\"><b>" + MessageHtml() + "</b></h3>");
  else
    writer.WriteLine("<h3 class=\"warn\" style=\"color:blue\"><b>" + MessageHtml() + "</b></h3>");
}

void TOneMessageResult::SetMessage(const THtml& message) {
  fMarkup = message;
  FMessage = message.Plain();
}

std::string TOneMessageResult::MessageHtml() const {
  if (fMarkup && fMarkup->Plain() == FMessage) return fMarkup->Html();
  return HtmlEscape(FMessage);
}

TPreZazoruResult::TPreZazoruResult(int ECode) {
  switch (ECode) {
    case 11: FMessage = "Oрганизация без льготников, перечни ранее не предоставляла"; break;
    case 12: FMessage = "Необходимо уточнить отсутствие ИС со льготниками и Перечня"; break;
    case 22:
      IsError = true;
      FMessage =
          "Найдены только корректирующие ИС, необходимо уточнить отсутствие ИС со льготниками за отчетный период";
      break;
    case 23:
      IsError = true;
      FMessage = "Найдены ИС с льготниками (Исхд, либо Исхд и Корр, либо Корр), перечень не найден";
      break;
    case 25:
      IsError = true;
      FMessage =
          "Не было найдено файлов индивидуальных сведений со льготами с подходящими для сверки заданными условиями "
          "(РегНомер,Год,Период,Тип), но найден перечень";
      break;
    default: FMessage = std::to_string(ECode);
  }
}

TProtocolMessage::TProtocolMessage(std::string message, bool isError) {
  FMessage = std::move(message);
  IsError = isError;
}

TProtocolMessage::TProtocolMessage(const THtml& message, bool isError) {
  SetMessage(message);
  IsError = isError;
}

TListError::TListError(std::string message, int year, int period, const TNodeData* node, bool isError)
    : TProtocolMessage(std::move(message), isError), FYear(year), FPeriod(period) {
  FNodeData = TNodeData(node);
}

TListError::TListError(const THtml& message, int year, int period, const TNodeData* node, bool isError)
    : TProtocolMessage(message, isError), FYear(year), FPeriod(period) {
  FNodeData = TNodeData(node);
}

TTerrCodeWarning::TTerrCodeWarning(std::string packNum) {
  FPackNum = std::move(packNum);
  IsError = false;
  FMessage = "Необходимо уточнить право организации на проставление кодов территориальных условий";
}

// ---------------------------------------------------------------------------------------------
// Records

void TResultRecord::PrintLine(TStreamWriter& writer) const { WriteRow(writer, Cells()); }

void TResultRecord::WriteRow(TStreamWriter& writer, const std::vector<std::string>& cells) {
  writer.WriteLine("<tr>");
  for (const std::string& cell : cells) writer.WriteLine("<td>" + cell + "</td>");
  writer.WriteLine("</tr>");
}

void TResultRecord::TagData() {
  if (FWorkPeriod_PD) FWorkPeriod_PD->IsResultData = true;
  if (FWorker_PD) FWorker_PD->IsResultData = true;
  if (FWorkPeriod_List) FWorkPeriod_List->IsResultData = true;
  if (FWorker_List) FWorker_List->IsResultData = true;
  if (FPosition) FPosition->IsResultData = true;
  if (FAddTariffPayment) FAddTariffPayment->IsResultData = true;
}

// ---------------------------------------------------------------------------------------------
// Tables

TTableResult::TTableResult(const TTableDescription& description)
    : FChapterName(description.Chapter),
      FTableName(description.Title),
      FHeaderData(description.Header),
      fClassName(description.ClassName) {
  IsError = description.IsError;
}

void TTableResult::PrintResult(TStreamWriter& writer, int& ChapterNum, int& TableNum, std::string& Name) {
  if (Name != FChapterName) {
    ++ChapterNum;
    TableNum = 1;
    Name = FChapterName;
    writer.WriteLine("<h3 style=\"text-align:center\">" + std::to_string(ChapterNum) + ". " + Name + "</h3>");
  } else {
    ++TableNum;
  }
  writer.WriteLine("<b>Таблица " + std::to_string(ChapterNum) + "." + std::to_string(TableNum) + " " + FTableName +
                   "</b><br/>");
  writer.WriteLine("<table id=\"" + fClassName + "\" width=\"100%\" border=\"1\">");
  for (const auto& row : FHeaderData) {
    writer.WriteLine(" <tr style=\"text-align:center;font-weight:bold\">");
    for (const THeaderData& cell : row)
      writer.WriteLine(" <td colspan=\"" + cell.ColSpan + "\"  rowspan=\"" + cell.RowSpan + "\">" + cell.Name +
                       "</td>");
    writer.WriteLine(" </tr>");
  }
  for (const auto& record : FRecords) record->PrintLine(writer);
  writer.WriteLine("</table>");
  writer.WriteLine(std::string("<div style=\"color: ") + (IsError ? "red" : "blue") + "\"><b>ИТОГО " +
                   (IsError ? "ОШИБОК" : "ПРЕДУПРЕЖДЕНИЙ") + ": " + std::to_string(Count()) + "</b></div><br/>");
}

void TTableResult::AddRecord(std::unique_ptr<TResultRecord> record) {
  if (record) FRecords.push_back(std::move(record));
}

void TTableResult::TagRecords() {
  for (const auto& record : FRecords) record->TagData();
}

void TTableResult::ClearRecords() {
  for (const auto& record : FRecords) Forget(record.get());
  FRecords.clear();
}

void TTableResult::DeleteRecord(size_t index) {
  if (index >= FRecords.size()) return;
  Forget(FRecords[index].get());
  FRecords.erase(FRecords.begin() + static_cast<std::ptrdiff_t>(index));
}

void TTableResult::DeleteRecord(const TResultRecord* record) { TakeRecord(record); }

std::unique_ptr<TResultRecord> TTableResult::TakeRecord(const TResultRecord* record) {
  auto it = std::find_if(FRecords.begin(), FRecords.end(), [record](const auto& r) { return r.get() == record; });
  if (it == FRecords.end()) return nullptr;
  Forget(record);
  std::unique_ptr<TResultRecord> taken = std::move(*it);
  FRecords.erase(it);
  return taken;
}

void TTableResultWithPeriod::AddRecord(std::unique_ptr<TResultRecord> record) {
  if (!record) return;
  if (auto* withPeriod = dynamic_cast<TResultRecordWithPeriod*>(record.get()))
    Dict[withPeriod->FPeriod].push_back(withPeriod);
  TTableResult::AddRecord(std::move(record));
}

const std::vector<TResultRecord*>* TTableResultWithPeriod::RecordsOfPeriod(const TWorkPeriod* period) const {
  auto it = Dict.find(period);
  return it == Dict.end() ? nullptr : &it->second;
}

void TTableResultWithPeriod::Forget(const TResultRecord* record) {
  auto* withPeriod = dynamic_cast<const TResultRecordWithPeriod*>(record);
  if (!withPeriod) return;
  auto dropFrom = [&](auto it) {
    auto& list = it->second;
    auto found = std::find(list.begin(), list.end(), record);
    if (found == list.end()) return false;
    list.erase(found);
    if (list.empty()) Dict.erase(it);
    return true;
  };
  auto it = Dict.find(withPeriod->FPeriod);
  if (it != Dict.end() && dropFrom(it)) return;
  // The record's period was changed after it was added.
  for (auto any = Dict.begin(); any != Dict.end(); ++any)
    if (dropFrom(any)) return;
}

}  // namespace zz

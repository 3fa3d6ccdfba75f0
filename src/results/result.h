#pragma once
// The blocks of the protocol: single messages and tables of records.
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "isdata/node_data.h"
#include "results/html.h"
#include "results/stream_writer.h"

namespace zz {

class TWorker;
class TWorkPeriod;
class TPosition;
class TAddTariffPayment;

// The two sides a record compares: the employer's IS files and the Perechen. Records take their
// worker and period of each side as one of these, built with named members, so that a period of
// one side cannot end up in the other side's fields (both are plain TWorker*/TWorkPeriod*, and a
// swapped pair would compile and print the other side's dates). The types are distinct on purpose.
struct TISSide {
  TWorker* Worker = nullptr;
  TWorkPeriod* Period = nullptr;
};
struct TListSide {
  TWorker* Worker = nullptr;
  TWorkPeriod* Period = nullptr;
};

// Which side a finding is on, for records that serve two situations.
enum TResultType { rtPD, rtList, rtNoLgot, rtNoPayments };

class TResult {
 public:
  virtual ~TResult() = default;
  // Writes the block. The three counters belong to the caller and run across all blocks of one
  // protocol part: the current chapter's number and name and the last table number in it.
  virtual void PrintResult(TStreamWriter& writer, int& ChapterNum, int& TableNum, std::string& Name) = 0;

  bool IsError = false;
};

// ---------------------------------------------------------------------------------------------
// Messages

class TOneMessageResult : public TResult {
 public:
  // One heading: red for an error, blue with the class "warn" for a warning.
  void PrintResult(TStreamWriter& writer, int& ChapterNum, int& TableNum, std::string& Name) override;

  // Replaces the message with one built from text and markup; FMessage gets its plain form.
  void SetMessage(const THtml& message);
  // The heading's content: FMessage escaped, unless it was set with markup and not changed since.
  std::string MessageHtml() const;

  std::string FMessage;
  std::string FPackNum;
  TNodeData FNodeData;

 private:
  std::optional<THtml> fMarkup;
};

// Verdict of a set's pre-check.
class TPreZazoruResult : public TOneMessageResult {
 public:
  explicit TPreZazoruResult(int ECode);
};

class TProtocolMessage : public TOneMessageResult {
 public:
  // The message is plain text: whatever it holds prints as text.
  TProtocolMessage(std::string message, bool isError);
  // A message that carries its own markup (line breaks between pieces).
  TProtocolMessage(const THtml& message, bool isError);
};

// A message about the Perechen, printed with the set of its year and period.
class TListError : public TProtocolMessage {
 public:
  TListError(std::string message, int year, int period, const TNodeData* node, bool isError);
  TListError(const THtml& message, int year, int period, const TNodeData* node, bool isError);

  int FYear = 0;
  int FPeriod = 0;
};

// Kinds of Perechen problems.
class TBadPeriodListError : public TListError {
 public:
  using TListError::TListError;
};
class TBadPositionListError : public TListError {
 public:
  using TListError::TListError;
};
class TNoNameListListError : public TListError {
 public:
  using TListError::TListError;
};
class TNoPeopleInNameListListError : public TListError {
 public:
  using TListError::TListError;
};
class TWrongPeriod : public TListError {
 public:
  using TListError::TListError;
};

class TTerrCodeWarning : public TOneMessageResult {
 public:
  explicit TTerrCodeWarning(std::string packNum);
};

// ---------------------------------------------------------------------------------------------
// Records

// Where a record's finding is in the input.
class TUCPData {
 public:
  TUCPData(std::string packNum, const TNodeData* ucpNodeData)
      : FPackNum(std::move(packNum)), FUcpNodeData(ucpNodeData) {}

  std::string FPackNum;
  TNodeData FUcpNodeData;
};

// One table row. It refers to model objects without owning them.
class TResultRecord {
 public:
  virtual ~TResultRecord() = default;

  // Writes the row: "<tr>", one "<td>" line per cell, "</tr>".
  virtual void PrintLine(TStreamWriter& writer) const;
  // The row's cells, already HTML: text from the input is escaped, "<br>" joiners are markup.
  virtual std::vector<std::string> Cells() const = 0;

  // Marks every referenced object, so that the set keeps it until the protocol part is written.
  void TagData();

  std::unique_ptr<TUCPData> FUCPData;
  TWorkPeriod* FWorkPeriod_PD = nullptr;
  TWorker* FWorker_PD = nullptr;
  TWorkPeriod* FWorkPeriod_List = nullptr;
  TWorker* FWorker_List = nullptr;
  TPosition* FPosition = nullptr;
  TAddTariffPayment* FAddTariffPayment = nullptr;

 protected:
  static void WriteRow(TStreamWriter& writer, const std::vector<std::string>& cells);
};

// A record that tables can find by its work period.
class TResultRecordWithPeriod : public TResultRecord {
 public:
  explicit TResultRecordWithPeriod(TWorkPeriod* period) : FPeriod(period) {}

  TWorkPeriod* FPeriod = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Tables

struct THeaderData {
  std::string Name;
  std::string ColSpan;
  std::string RowSpan;
};

using THeaderRows = std::vector<std::vector<THeaderData>>;

// What a concrete table class fixes: its id, kind, chapter, title and header.
struct TTableDescription {
  std::string ClassName;
  bool IsError = false;
  std::string Chapter;
  std::string Title;
  THeaderRows Header;
};

class TTableResult : public TResult {
 public:
  void PrintResult(TStreamWriter& writer, int& ChapterNum, int& TableNum, std::string& Name) override;

  // Appends the record; the table owns it from now on.
  virtual void AddRecord(std::unique_ptr<TResultRecord> record);

  void TagRecords();
  void ClearRecords();
  void DeleteRecord(size_t index);
  void DeleteRecord(const TResultRecord* record);
  // Removes the record without freeing it, handing it to the caller (null when not in the table).
  std::unique_ptr<TResultRecord> TakeRecord(const TResultRecord* record);

  size_t Count() const { return FRecords.size(); }
  TResultRecord* Record(size_t index) const { return index < FRecords.size() ? FRecords[index].get() : nullptr; }

  // The concrete class name, printed as the table's id.
  const std::string& ClassName() const { return fClassName; }

  std::string FChapterName;
  std::string FTableName;
  THeaderRows FHeaderData;

 protected:
  explicit TTableResult(const TTableDescription& description);
  // Called before a record leaves the table, so that look-ups never keep a freed record.
  virtual void Forget(const TResultRecord* /*record*/) {}

  std::vector<std::unique_ptr<TResultRecord>> FRecords;

 private:
  std::string fClassName;
};

class TTableResultWithPeriod : public TTableResult {
 public:
  // A period record is also listed under its period.
  void AddRecord(std::unique_ptr<TResultRecord> record) override;

  // The period's records in insertion order; null when there are none.
  const std::vector<TResultRecord*>* RecordsOfPeriod(const TWorkPeriod* period) const;

  std::unordered_map<const TWorkPeriod*, std::vector<TResultRecord*>> Dict;

 protected:
  using TTableResult::TTableResult;
  void Forget(const TResultRecord* record) override;
};

}  // namespace zz

#pragma once
// Writes the run's protocol: per set, sections appended to four part files in the report
// directory; at the end, the head, the part files in a fixed order and the check date.
#include <filesystem>
#include <memory>
#include <string>

#include "base/logger.h"
#include "report/file_writer.h"
#include "report/findings.h"
#include "results/verification_results.h"
#include "settings/settings.h"

namespace zz {

class TProtocolFormer : public TLoggingObject {
 public:
  // The searcher's messages, used by reference.
  explicit TProtocolFormer(TMessageList& searchErrors);

  void formProtocolPart(TVerificationResults& verification);
  // Returns the protocol's path.
  std::string printProtocol(int verificationCount);
  std::string printBadProtocol(TMessageList& ListErrors, int eCode);

  int fVerifiedPeople = 0;
  // Inputs the search could not read whole, for the findings.
  int fDamagedInputs = 0;
  // Texts of the main window's year and period boxes when a value is chosen there (windowed mode).
  std::string fYearChoice;
  std::string fPeriodChoice;

 private:
  std::filesystem::path ReportPath(const std::string& name) const;
  void writeHeader(TStreamWriter& w, int exitCode, const std::string& orgName);
  void writePeriodHeading(TStreamWriter& w, int year, int quarter);
  void writePackRows(TVerificationResults& verification);
  void writeSourceTables(TCp1251FileWriter& w, int count);
  void appendPartFile(TCp1251FileWriter& w, const std::string& name);
  void writeCheckDate(TStreamWriter& w);
  void Print(TResult& result, TStreamWriter& w);
  // Prints a block of the current set and hands it to the findings.
  void PrintFinding(TResult& result, TStreamWriter& w);
  // `withSearchMessages`: the protocol printed the searcher's messages.
  void writeFindings(int exitCode, const std::string& orgName, const std::string& protocolPath,
                     bool withSearchMessages);

  TSettings& fSettings;
  TMessageList& fSearchErrors;
  int fNumChapter = 0;
  int fNumTable = 0;
  std::string fName;
  int fInitCount = 0;
  int fCorrCount = 0;
  // Collected only when the findings are asked for.
  std::unique_ptr<TFindings> fFindings;
};

}  // namespace zz

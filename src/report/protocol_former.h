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
  // The run's parameters and the searcher's messages, used by reference.
  TProtocolFormer(const TRunParams& params, TMessageList& searchErrors);

  void formProtocolPart(TVerificationResults& verification);
  // Returns the protocol's path. `exitCode` is the run's, which the head shows.
  std::string printProtocol(int verificationCount, int exitCode);
  std::string printBadProtocol(TMessageList& ListErrors, int eCode);

  int fVerifiedPeople = 0;
  // Inputs the search could not read whole, for the findings.
  int fDamagedInputs = 0;
  // The period the protocol is named and headed for: the one asked for, or the first set's.
  int fYear = 0;
  int fPeriod = 0;
  // The organisation's name for the head and the findings.
  std::string fOrgName;

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

  const TRunParams& fParams;
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

#pragma once
// summary.xlsx at the intake's report root: the summary as a workbook for the specialist.
#include <filesystem>

#include "app/intake_summary.h"

namespace zz {

// Writes the workbook at `path`, replacing it in one step: a sheet of employers (verdict, counts, a
// link to each protocol), a sheet of every finding row of every employer, read from its findings
// file, and a sheet of the files no employer took. Every cell is text or a number, never a formula.
// Throws std::runtime_error when it cannot be written.
void WriteSummaryWorkbook(const TIntakeLayout& layout, const TSummary& summary, const std::filesystem::path& path);

}  // namespace zz

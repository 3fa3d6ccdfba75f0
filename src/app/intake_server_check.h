#pragma once
// The list server asked once before an intake's first run: with it down or silent every run would
// end with 21 (each after the full timeout), and an intake of thousands would pass as done.
#include <optional>
#include <string>

namespace zz {

class TSettings;

// One query, with the settings' server, credentials and `regNum`, answered within `timeoutSeconds`
// by a document that is not an error reply ("nothing found" is an answer). Returns why it failed,
// nullopt when the server answered. Batch runs query the server whatever the comparison settings
// say, so the intake checks it whenever it starts runs.
std::optional<std::string> CheckListServer(const TSettings& settings, const std::string& regNum, int timeoutSeconds);

}  // namespace zz

#pragma once
// The program entry: mode selection, the work manager's life, and the top-level failure handling.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/work_manager.h"

namespace zz {

// Builds the windowed work manager; registered by the windowing layer when it is linked in.
using TFormManagerFactory = std::function<std::unique_ptr<TWorkManager>(bool PortableMode)>;
void SetFormManagerFactory(TFormManagerFactory factory);

// Runs the program on the command line (args[0] is the program path) and returns the exit code.
int RunProgram(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace zz

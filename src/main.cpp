// The executable's entry: registers the windows when they are built in, then runs the program.
#include <string>
#include <vector>

#include "app/program.h"
#include "base/singleton.h"
#ifdef ZAZORU_WITH_UI
#include "ui/register.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
#ifdef ZAZORU_WITH_UI
  // Only registers how to build the windowed work manager; no Qt object exists before it is built.
  zz::RegisterFormManager();
#endif
  int code = zz::RunProgram(args);
  zz::TSingleton::DestroyAll();
  return code;
}

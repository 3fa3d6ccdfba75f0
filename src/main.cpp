#include <string>
#include <vector>

#include "app/program.h"
#include "app/singleton.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  int code = zz::RunProgram(args);
  zz::TSingleton::DestroyAll();
  return code;
}

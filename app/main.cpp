#include <string>
#include <vector>

#include "app/SetupMain.h"

int main(int argc, char** argv) {
  return orvane::RunSetup(std::vector<std::string>(argv, argv + argc));
}

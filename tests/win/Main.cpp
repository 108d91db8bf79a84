// Runs the Windows tests; wide arguments as the program itself receives them.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "framework/Wide.h"
#include "panels/FilePanel.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(px::Narrow(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  int count = static_cast<int>(pointers.size());
  testing::InitGoogleTest(&count, pointers.data());
  // A folder is shown once read, whatever the machine's load: the tests of
  // a listing that comes in later set a short wait themselves.
  px::FilePanel::SetListingWait(std::chrono::seconds(60));
  return RUN_ALL_TESTS();
}

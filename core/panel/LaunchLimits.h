// The lengths the platform's shell can take for a launch, checked before any
// call: beyond them the shell ignores the working folder (the program then runs
// wherever the process happens to be), fails oddly or brings the process down.
#pragma once

#include <cstddef>
#include <string>

namespace px {

// Counted in UTF-16 units. The working folder must be able to become the
// current directory, which holds MAX_PATH units with its terminator and final
// backslash; the shell looks a program up in MAX_PATH buffers too; a process's
// command line holds 32 767 units with its terminator.
constexpr size_t kMaxLaunchFolder = 259;
constexpr size_t kMaxLaunchProgram = 259;
constexpr size_t kMaxLaunchCommandLine = 32766;

enum class LaunchRefusal {
  kNone,
  kFolderTooLong,   // the folder cannot be the working directory
  kPathTooLong,     // a program named relative to the folder makes too long a path
  kProgramTooLong,  // no program by such a name can be found
  kLineTooLong,     // program and parameters exceed a command line
};

enum class ProgramPlace {
  kAnywhere,  // a name the shell searches for, or a full path
  kInFolder,  // an entry of the working folder, named without its folder
};

// Whether running program with parameters in folder stays within the lengths
// above. folder need not end with a backslash; one is counted either way.
LaunchRefusal CheckLaunchLengths(const std::string& program, const std::string& parameters,
                                 const std::string& folder, ProgramPlace place);

}  // namespace px

// Launch lengths counted as the platform counts them, in UTF-16 units.
#include "core/panel/LaunchLimits.h"

#include "core/text/Utf.h"

namespace px {

LaunchRefusal CheckLaunchLengths(const std::string& program, const std::string& parameters,
                                 const std::string& folder, ProgramPlace place) {
  size_t folderLength = Utf8ToUtf16(folder).size();
  if (folder.empty() || folder.back() != '\\') ++folderLength;
  if (folderLength > kMaxLaunchFolder) return LaunchRefusal::kFolderTooLong;
  const size_t programLength = Utf8ToUtf16(program).size();
  if (place == ProgramPlace::kInFolder && folderLength + programLength > kMaxLaunchProgram)
    return LaunchRefusal::kPathTooLong;
  if (programLength > kMaxLaunchProgram) return LaunchRefusal::kProgramTooLong;
  // The shell quotes the program and puts a blank before the parameters.
  if (programLength + 3 + Utf8ToUtf16(parameters).size() > kMaxLaunchCommandLine)
    return LaunchRefusal::kLineTooLong;
  return LaunchRefusal::kNone;
}

}  // namespace px

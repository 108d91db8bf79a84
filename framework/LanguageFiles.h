// The languages a user can choose: the .lng files below the start directory.
#pragma once

#include <string>
#include <vector>

namespace px {

// Names of StartDirectory\Language\*.lng without their extension, sorted.
std::vector<std::string> ListLanguages(const std::string& startDirectory);

}  // namespace px

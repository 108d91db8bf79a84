// Fuzzes the toolbar layout file: the buttons read from it, and the file written for them.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/Settings.h"
#include "core/settings/SettingsStore.h"
#include "tests/core/TextStorage.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

std::vector<int> ButtonsOf(std::string file, int defaultCount) {
  SettingsStore store(std::make_unique<TextStorage>(&file));
  return ReadToolBarButtons(store, defaultCount);
}

}  // namespace
}  // namespace px

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(px::fuzz::AsText(data, size));
  const int defaultCount = size == 0 ? 10 : static_cast<int>(data[0] % 32) - 8;
  const std::vector<int> buttons = px::ButtonsOf(file, defaultCount);
  PX_FUZZ_CHECK(buttons.size() <= 200);
  for (int button : buttons) PX_FUZZ_CHECK(button >= 0 && button <= 30);

  // The file written for a layout reads back as that layout, whatever default is given.
  const std::string written = px::ToolBarLayoutText(buttons);
  PX_FUZZ_CHECK(px::ButtonsOf(written, defaultCount + 3) == buttons);
  return 0;
}

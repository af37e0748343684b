// Fuzzes the editor's field: random key texts into EditField on the virtual console, with a
// random width, case rule and refused set; the value must stay within the field's width.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/field_input.h"
#include "platform/keys.h"
#include "platform/virtual.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  ResetVirtualConsole();
  int32_t width = data[0] % 40, upperCase = data[1] % 2, exitKey = 0;
  // A refused set of printable characters, as the form's are (a refused Esc would never end).
  std::string refused;
  for (size_t i = 3; i < size && refused.size() < data[2] % 8u; ++i)
    if (data[i] >= 32 && data[i] < 127) refused += static_cast<char>(data[i]);
  std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  while (!bytes.empty()) {
    size_t used = 0;
    TheConsole().keys.push_back(KeyTextFromBytes(bytes, used));
    bytes.erase(0, used);
  }
  std::string value = "K1ABC";
  EditField(value, width, 5, 10, upperCase, refused, 14, 4, 255, exitKey);
  if (static_cast<int32_t>(value.size()) > std::max(width, 5)) std::abort();
  return 0;
}

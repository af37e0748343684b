// Fuzzes the key decoder: any bytes a terminal may send, split into key texts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/field_input.h"
#include "platform/keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  while (!bytes.empty()) {
    size_t used = 0;
    // As the console does: a key not whole when no more bytes come is taken as it stands.
    std::string key = KeyTextFromBytes(bytes, used);
    if (used == 0 || used > bytes.size()) std::abort();
    KeyCode(key);
    HoldsWholeKey(bytes);
    bytes.erase(0, used);
  }
  return 0;
}

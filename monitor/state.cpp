// The worked list's membership, kept beside the list so that lookups do not scan it: an
// open-addressing table of positions in the list, since a decade's log holds 100,000 calls
// and a node per call would cost more than reading them.
#include "monitor/state.h"

namespace {

uint64_t HashOf(std::string_view call) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a: calls are short
  for (char c : call) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// A slot: the call's position in the list plus 1 (0 for an empty slot) in the low half, its
// hash's high half above, so that a probe rarely has to look at the call itself.
uint64_t SlotValue(uint64_t hash, size_t position) { return (hash & 0xFFFFFFFF00000000ull) | (position + 1); }

// The table slot that holds call, or the empty one where it would go.
size_t SlotOf(const WorkedList& worked, std::string_view call, uint64_t hash) {
  size_t mask = worked.slots.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    uint64_t held = worked.slots[slot];
    if (held == 0) return slot;
    if ((held >> 32) == (hash >> 32) && worked.calls[(held & 0xFFFFFFFF) - 1] == call) return slot;
  }
}

// Keeps the table at most half full.
void MakeRoom(WorkedList& worked) {
  if (worked.slots.size() >= 2 * (worked.calls.size() + 1)) return;
  worked.slots.assign(std::max<size_t>(64, worked.slots.size() * 2), 0);
  for (size_t i = 0; i < worked.calls.size(); ++i) {
    uint64_t hash = HashOf(worked.calls[i]);
    worked.slots[SlotOf(worked, worked.calls[i], hash)] = SlotValue(hash, i);
  }
}

}  // namespace

void ReserveWorked(WorkedList& worked, size_t calls) {
  if (calls <= worked.calls.size()) return;
  worked.calls.reserve(calls);
  worked.bands.reserve(calls);
  size_t slots = 64;
  while (slots < 2 * (calls + 1)) slots *= 2;
  if (slots <= worked.slots.size()) return;
  worked.slots.assign(slots, 0);
  for (size_t i = 0; i < worked.calls.size(); ++i) {
    uint64_t hash = HashOf(worked.calls[i]);
    worked.slots[SlotOf(worked, worked.calls[i], hash)] = SlotValue(hash, i);
  }
}

bool AddWorked(WorkedList& worked, std::string_view call, BandSet bands) {
  MakeRoom(worked);
  uint64_t hash = HashOf(call);
  size_t slot = SlotOf(worked, call, hash);
  if (worked.slots[slot] != 0) {
    worked.bands[(worked.slots[slot] & 0xFFFFFFFF) - 1] |= bands;
    return false;
  }
  worked.slots[slot] = SlotValue(hash, worked.calls.size());
  worked.calls.emplace_back(call);
  worked.bands.push_back(bands);
  return true;
}

bool IsWorked(const WorkedList& worked, std::string_view call) {
  return !worked.slots.empty() && worked.slots[SlotOf(worked, call, HashOf(call))] != 0;
}

bool IsWorkedOnBand(const WorkedList& worked, std::string_view call, int band) {
  if (worked.slots.empty()) return false;
  uint64_t held = worked.slots[SlotOf(worked, call, HashOf(call))];
  return held != 0 && (worked.bands[(held & 0xFFFFFFFF) - 1] & BandBit(band)) != 0;
}

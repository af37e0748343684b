// The worked list: its calls in one arena, and its membership kept beside them so that lookups
// do not scan it: an open-addressing table of 32-bit positions in the list, since a decade's
// logs hold 150,000 calls and a string or a node per call would cost more than reading them.
#include "monitor/state.h"

#include <algorithm>

namespace {

// A worked call's arena takes this many bytes a call at most, most calls being 4 to 6 long.
constexpr size_t kWorkedCallBytes = 8;

uint64_t HashOf(std::string_view call) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a: calls are short
  for (char c : call) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// A slot: the call's position in the list plus 1 (0 for an empty slot) in the low 24 bits, the
// top byte of its hash above, so that a probe rarely has to look at the call itself.
constexpr uint32_t kPositionBits = 24;
constexpr size_t kMostWorkedCalls = (size_t{1} << kPositionBits) - 2;
uint32_t SlotValue(uint64_t hash, size_t position) {
  return static_cast<uint32_t>(hash >> 56) << kPositionBits | static_cast<uint32_t>(position + 1);
}
size_t PositionIn(uint32_t slot) { return (slot & ((1u << kPositionBits) - 1)) - 1; }

// Where a hash's probe starts: the hash mixed once more (FNV's low bits barely change with a
// call's last letters) and scaled to the table, which may have any size so that the room made
// for a number of calls holds just them.
size_t FirstSlot(uint64_t hash, size_t slots) {
  return static_cast<size_t>((hash * 0x9e3779b97f4a7c15ull >> 32) * slots >> 32);
}

// The table slot that holds call, or the empty one where it would go.
size_t SlotOf(const WorkedList& worked, std::string_view call, uint64_t hash) {
  size_t slots = worked.slots.size();
  uint32_t tag = static_cast<uint32_t>(hash >> 56);
  for (size_t slot = FirstSlot(hash, slots);; slot = slot + 1 == slots ? 0 : slot + 1) {
    uint32_t held = worked.slots[slot];
    if (held == 0 || ((held >> kPositionBits) == tag && WorkedCall(worked, PositionIn(held)) == call)) return slot;
  }
}

// The table is kept at most three quarters full: fuller, probes run long.
bool TableFull(const WorkedList& worked, size_t calls) { return 4 * (calls + 1) > 3 * worked.slots.size(); }

// A table with room for calls (at least 64 slots), filled from the list. Reserved for both logs'
// records, it holds the calls (fewer: a call is logged many times) well under three quarters
// full, and small enough to stay in the processor's cache (1.2 MB for two logs of 100,000).
void FillSlots(WorkedList& worked, size_t calls) {
  worked.slots.assign(std::max<size_t>(64, (calls + 1) * 4 / 3 + 1), 0);
  for (size_t i = 0; i < WorkedCount(worked); ++i) {
    uint64_t hash = HashOf(WorkedCall(worked, i));
    worked.slots[SlotOf(worked, WorkedCall(worked, i), hash)] = SlotValue(hash, i);
  }
}

// AddWorked with the call's hash at hand.
bool AddHashed(WorkedList& worked, std::string_view call, uint64_t hash, BandSet bands) {
  if (TableFull(worked, WorkedCount(worked))) FillSlots(worked, 2 * WorkedCount(worked));
  size_t slot = SlotOf(worked, call, hash);
  if (worked.slots[slot] != 0) {
    worked.bands[PositionIn(worked.slots[slot])] |= bands;
    return false;
  }
  // Past 16 million calls or 4 GB of them no log is real: the rest stay unknown.
  if (WorkedCount(worked) >= kMostWorkedCalls || worked.arena.size() + call.size() > UINT32_MAX) return false;
  worked.slots[slot] = SlotValue(hash, WorkedCount(worked));
  worked.arena.append(call);
  worked.ends.push_back(static_cast<uint32_t>(worked.arena.size()));
  worked.bands.push_back(bands);
  return true;
}

}  // namespace

std::string_view WorkedCall(const WorkedList& worked, size_t position) {
  size_t begin = position == 0 ? 0 : worked.ends[position - 1];
  return std::string_view(worked.arena).substr(begin, worked.ends[position] - begin);
}

std::vector<std::string> WorkedCalls(const WorkedList& worked) {
  std::vector<std::string> calls;
  for (size_t i = 0; i < WorkedCount(worked); ++i) calls.emplace_back(WorkedCall(worked, i));
  return calls;
}

void ReserveWorked(WorkedList& worked, size_t calls) {
  if (calls <= WorkedCount(worked)) return;
  // Reserved, not written: pages the calls never reach cost nothing.
  worked.arena.reserve(calls * kWorkedCallBytes);
  worked.ends.reserve(calls);
  worked.bands.reserve(calls);
  if (TableFull(worked, calls)) FillSlots(worked, calls);
}

bool AddWorked(WorkedList& worked, std::string_view call, BandSet bands) {
  return AddHashed(worked, call, HashOf(call), bands);
}

void AddWorkedSoon(WorkedList& worked, WorkedBatch& batch, std::string_view call, BandSet bands) {
  batch.calls.append(call);
  batch.ends[batch.count] = static_cast<uint32_t>(batch.calls.size());
  batch.bands[batch.count] = bands;
  if (++batch.count == kWorkedBatchSize) AddWorkedBatch(worked, batch);
}

void AddWorkedBatch(WorkedList& worked, WorkedBatch& batch) {
  if (TableFull(worked, WorkedCount(worked) + batch.count)) FillSlots(worked, 2 * (WorkedCount(worked) + batch.count));
  // Ask for every call's first slot, then for what the held ones point at, and only then add:
  // each step's loads go out together instead of each call waiting for its own.
  std::array<std::string_view, kWorkedBatchSize> calls;
  std::array<uint64_t, kWorkedBatchSize> hashes;
  std::array<const uint32_t*, kWorkedBatchSize> firstSlots;
  for (size_t i = 0, begin = 0; i < batch.count; begin = batch.ends[i++]) {
    calls[i] = std::string_view(batch.calls).substr(begin, batch.ends[i] - begin);
    hashes[i] = HashOf(calls[i]);
    firstSlots[i] = &worked.slots[FirstSlot(hashes[i], worked.slots.size())];
    __builtin_prefetch(firstSlots[i]);
  }
  for (size_t i = 0; i < batch.count; ++i) {
    if (*firstSlots[i] == 0) continue;
    __builtin_prefetch(&worked.ends[PositionIn(*firstSlots[i])]);
    __builtin_prefetch(&worked.bands[PositionIn(*firstSlots[i])]);
  }
  for (size_t i = 0; i < batch.count; ++i) AddHashed(worked, calls[i], hashes[i], batch.bands[i]);
  batch.calls.clear();
  batch.count = 0;
}

bool IsWorked(const WorkedList& worked, std::string_view call) {
  return !worked.slots.empty() && worked.slots[SlotOf(worked, call, HashOf(call))] != 0;
}

bool IsWorkedOnBand(const WorkedList& worked, std::string_view call, int band) {
  if (worked.slots.empty()) return false;
  uint32_t held = worked.slots[SlotOf(worked, call, HashOf(call))];
  return held != 0 && (worked.bands[PositionIn(held)] & BandBit(band)) != 0;
}

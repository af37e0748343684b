// The 256-station lookup ring.
#include "monitor/qrz/cache.h"

#include "monitor/qrz/lookup.h"
#include "monitor/rows.h"

namespace {

// The first slot holding the call exactly, 0 when none does.
int FindSlot(const LookupCache& lookupCache, const std::string& call) {
  for (int k = 1; k <= kCacheSize; ++k)
    if (SameCall(lookupCache.entry[k].call, call)) return k;
  return 0;
}

// A failed caller met again in the same batch counts like a hit.
bool CountFailedAgain(LookupCache& lookupCache, const std::string& call) {
  for (CacheEntry& failed : lookupCache.failed) {
    if (failed.call != call) continue;
    ++failed.count;
    return true;
  }
  return false;
}

void AddFailed(LookupCache& lookupCache, const std::string& call) {
  CacheEntry entry;
  entry.call = call;
  entry.name = kLookupFailedName;
  entry.count = 1;
  lookupCache.failed.push_back(entry);
}

CacheEntry EntryFromRecord(const std::string& call, const StationRecord& record) {
  CacheEntry entry;
  entry.call = call;
  entry.name = record.name_fmt;
  entry.city = record.addr2;
  entry.country = record.land;
  entry.dxcc = record.dxcc;
  entry.state = record.state;
  entry.bearing = record.bearing;
  entry.distance = record.distance;
  entry.count = 1;
  return entry;
}

}  // namespace

void LookupWithCache(const CallTable& callTable, LookupCache& lookupCache, int32_t& qrzLookups,
                     std::string& errorText) {
  errorText.clear();
  lookupCache.failed.clear();
  bool serviceDown = false;
  for (int i = 1; i <= callTable.count; ++i) {
    const std::string& call = callTable.entry[i].call;
    if (int hit = FindSlot(lookupCache, call)) {
      ++lookupCache.entry[hit].count;
      continue;
    }
    if (CountFailedAgain(lookupCache, call)) continue;
    if (serviceDown) {  // one time-out a period at most, never one per caller
      AddFailed(lookupCache, call);
      continue;
    }
    // The station is kept under the call as decoded, which the service may answer in
    // another form (W7XYZ/P as W7XYZ): so its next call finds it.
    std::string asked = call;
    StationRecord record;
    LookupResult result = LookupCallsign(asked, record, errorText);
    ++qrzLookups;
    if (result == LookupResult::kFailed || result == LookupResult::kServiceDown) {
      serviceDown = result == LookupResult::kServiceDown;
      AddFailed(lookupCache, call);
      continue;
    }
    if (result == LookupResult::kNotFound) {
      record = StationRecord{};
      record.name_fmt = kNotFoundName;
    }
    lookupCache.lastSlot = lookupCache.lastSlot + 1 > kCacheSize ? 1 : lookupCache.lastSlot + 1;
    lookupCache.entry[lookupCache.lastSlot] = EntryFromRecord(call, record);
  }
}

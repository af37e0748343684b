// The 256-station lookup ring.
#include "monitor/qrz/cache.h"

#include "monitor/qrz/lookup.h"
#include "monitor/rows.h"

namespace {

// The first slot holding the call exactly, 0 when none does.
int FindSlot(const LookupCache& lookupCache, const std::string& call) {
  for (int k = 1; k <= kCacheSize; ++k)
    if (lookupCache.entry[k].call == call) return k;
  return 0;
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
  for (int i = 1; i <= callTable.count; ++i) {
    std::string call = callTable.entry[i].call;
    if (int hit = FindSlot(lookupCache, call)) {
      ++lookupCache.entry[hit].count;
      continue;
    }
    StationRecord record;
    LookupCallsign(call, record, errorText);
    ++qrzLookups;
    if (errorText == kCallNotFound) {
      record = StationRecord{};
      record.name_fmt = kNotFoundName;
    }
    lookupCache.lastSlot = lookupCache.lastSlot + 1 > kCacheSize ? 1 : lookupCache.lastSlot + 1;
    lookupCache.entry[lookupCache.lastSlot] = EntryFromRecord(call, record);
  }
}

// The 256-station lookup ring.
#include "monitor/qrz/cache.h"

#include <algorithm>
#include <chrono>

#include "common/text.h"
#include "monitor/geo.h"
#include "monitor/globals.h"
#include "monitor/qrz/lookup.h"
#include "monitor/rows.h"

namespace {

using Clock = std::chrono::steady_clock;

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

void SetPosition(CacheEntry& entry, double latitude, double longitude) {
  double distance = 0, bearing = 0;
  BearingAndDistance(glb_MyLatitude, glb_MyLongitude, latitude, longitude, distance, bearing);
  entry.bearing = NumberToText(bearing);
  entry.distance = NumberToText(distance);
}

// True when the station sent a grid square and is now placed at its centre.
bool PlaceByGrid(CacheEntry& entry, const std::string& grid) {
  double latitude = 0, longitude = 0;
  if (!GridCentre(grid, latitude, longitude)) return false;
  SetPosition(entry, latitude, longitude);
  entry.roughPosition = false;
  return true;
}

// A record without a position (no subscription) is placed by the grid the station sent, else by
// its entity's centre.
void PlaceWithoutPosition(CacheEntry& entry, const CallEntry& caller, const Entity* entity) {
  if (PlaceByGrid(entry, caller.grid) || !entity) return;
  SetPosition(entry, entity->latitude, entity->longitude);
  entry.roughPosition = true;
}

CacheEntry EntryFromRecord(const CallEntry& caller, const StationRecord& record, const CountryTable& countries) {
  CacheEntry entry;
  entry.call = caller.call;
  entry.name = record.name_fmt;
  entry.city = record.addr2;
  entry.country = record.land.empty() ? record.country : record.land;
  entry.dxcc = record.dxcc;
  entry.state = record.state;
  entry.bearing = record.bearing;
  entry.distance = record.distance;
  entry.count = 1;
  if (entry.name == kNotFoundName) return entry;
  // Accounts without a subscription get no dxcc, land or position: the call's prefix tells.
  const Entity* entity = record.dxcc.empty() || entry.country.empty() || record.bearing.empty()
                             ? EntityOfCall(countries, caller.call) : nullptr;
  if (entity && entry.dxcc.empty()) entry.dxcc = std::to_string(entity->dxcc);
  if (entity && entry.country.empty()) entry.country = entity->name;
  if (entry.bearing.empty()) PlaceWithoutPosition(entry, caller, entity);
  return entry;
}

// The time a lookup may take: its usual limit, and no more than the period has left.
DownloadLimits LimitsWithin(int budgetSeconds, Clock::time_point start) {
  DownloadLimits limits = kSmallReplyLimits;
  if (budgetSeconds <= 0) return limits;
  auto spent = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
  limits.totalSeconds = std::min<int>(limits.totalSeconds, std::max<int>(0, budgetSeconds - static_cast<int>(spent)));
  return limits;
}

// A caller whose lookup failed or was not made is shown as a record without a subscription
// would be: the entity from its prefix, the position from its grid or the entity's centre; it
// is not kept, so it is asked again when it next calls.
void AddFailed(LookupCache& lookupCache, const CallEntry& caller, const CountryTable& countries) {
  CacheEntry entry = EntryFromRecord(caller, StationRecord{}, countries);
  entry.name = kLookupFailedName;
  lookupCache.failed.push_back(entry);
}

// Renews the session at most once a period: an error a new key does not cure ends it.
LookupResult Ask(std::string& call, StationRecord& record, std::string& errorText, bool& renewed,
                 const DownloadLimits& limits) {
  LookupResult result = LookupCallsign(call, record, errorText, !renewed, limits);
  renewed = renewed || result == LookupResult::kRenewed;
  return result;
}

}  // namespace

void LookupWithCache(const CallTable& callTable, LookupCache& lookupCache, int32_t& qrzLookups,
                     std::string& errorText, const CountryTable& countries, int budgetSeconds) {
  errorText.clear();
  lookupCache.failed.clear();
  bool serviceDown = lookupCache.noSession, renewed = false;
  Clock::time_point start = Clock::now();
  for (int i = 1; i <= callTable.count; ++i) {
    const CallEntry& caller = callTable.entry[i];
    if (int hit = FindSlot(lookupCache, caller.call)) {
      CacheEntry& entry = lookupCache.entry[hit];
      ++entry.count;
      if (caller.kind == CallerKind::kCq) ++lookupCache.cqCacheHits;
      if (entry.roughPosition) PlaceByGrid(entry, caller.grid);
      continue;
    }
    if (CountFailedAgain(lookupCache, caller.call)) continue;
    DownloadLimits limits = LimitsWithin(budgetSeconds, start);
    // One time-out a period at most, never one per caller; and none past the period's end.
    if (serviceDown || limits.totalSeconds == 0) {
      AddFailed(lookupCache, caller, countries);
      continue;
    }
    // The station is kept under the call as decoded, which the service may answer in
    // another form (W7XYZ/P as W7XYZ): so its next call finds it.
    std::string asked = caller.call;
    StationRecord record;
    LookupResult result = Ask(asked, record, errorText, renewed, limits);
    ++qrzLookups;
    if (result == LookupResult::kServiceDown) {
      serviceDown = true;
      lookupCache.serviceError = errorText;
    }
    if (result != LookupResult::kStation && result != LookupResult::kNotFound) {
      AddFailed(lookupCache, caller, countries);
      continue;
    }
    lookupCache.serviceError.clear();
    if (result == LookupResult::kNotFound) {
      record = StationRecord{};
      record.name_fmt = kNotFoundName;
    }
    lookupCache.lastSlot = lookupCache.lastSlot + 1 > kCacheSize ? 1 : lookupCache.lastSlot + 1;
    lookupCache.entry[lookupCache.lastSlot] = EntryFromRecord(caller, record, countries);
  }
}

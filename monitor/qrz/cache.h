// The lookup cache: the service is asked only about calls it does not hold.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/state.h"

// Resolves every caller of the batch: a hit raises the entry's count, a miss asks the
// service and fills the next slot of the ring (the 257th miss overwrites slot 1) under the
// call as decoded. A lookup that failed is not kept: the caller goes to lookupCache.failed
// for this batch and is asked again in the next; once the service is out of reach or the
// session lost, the batch's remaining new callers are not asked at all, and
// lookupCache.serviceError says why until a lookup succeeds. While lookupCache.noSession, no
// new caller is asked. A record without an entity or a
// position takes them from countries (by the call) and from the grid the caller sent. The
// batch's lookups together take at most budgetSeconds (0: no such bound): a caller left when
// they are spent is handled as one not asked, and asked again when it next calls.
void LookupWithCache(const CallTable& callTable, LookupCache& lookupCache, int32_t& qrzLookups,
                     std::string& errorText, const CountryTable& countries, int budgetSeconds = 0);

// The lookup cache: the service is asked only about calls it does not hold.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/state.h"

// Resolves every caller of the batch: a hit raises the entry's count, a miss asks the
// service and fills the next slot of the ring (the 257th miss overwrites slot 1).
void LookupWithCache(const CallTable& callTable, LookupCache& lookupCache, int32_t& qrzLookups,
                     std::string& errorText);

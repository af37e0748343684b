// The worked list's membership, kept beside the list so that lookups do not scan it.
#include "monitor/state.h"

bool AddWorked(WorkedList& worked, const std::string& call) {
  if (!worked.index.insert(call).second) return false;
  worked.calls.push_back(call);
  return true;
}

bool IsWorked(const WorkedList& worked, const std::string& call) {
  return worked.index.count(call) > 0;
}

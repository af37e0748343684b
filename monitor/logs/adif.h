// Finding ADIF fields in a log line. Field names match whatever their case (loggers write
// <CALL:5> as often as <call:5>); values compare exactly.
#pragma once

#include <string_view>

// What the readers need of one record line, found in one pass over it.
struct RecordFields {
  bool hasCall = false;     // the line has a call field
  std::string_view call;    // the first call field's value (see CallFieldOf)
  bool workedMode = false;  // some mode field reads FT8 or JT65 ("<mode:3>FT8", "<mode:4>JT65")
  bool confirmed = false;   // some app_qrzlog_status field reads C ("<app_qrzlog_status:1>C")
  std::string_view dxcc;    // the first dxcc field's value
  std::string_view band;    // the first band field's value ("20m", any case)
  std::string_view freq;    // the first freq field's value, in MHz
};

RecordFields ScanRecord(std::string_view line);
// The value of the first call field. False when the line has no call field.
bool CallFieldOf(std::string_view line, std::string_view& value);
// The values of the first band field and, when the line has none, of the first freq field;
// empty when missing.
void BandFieldsOf(std::string_view line, std::string_view& band, std::string_view& freq);
// True when the line holds a record's end, "<eor>" in any case.
bool EndsRecord(std::string_view line);

// Finding ADIF fields in a log line. Field names match whatever their case (loggers write
// <CALL:5> as often as <call:5>); values compare exactly.
#pragma once

#include <string>

// True when some field name (any case) is followed directly by value, as in "<mode:" "3>FT8".
bool HoldsField(const std::string& line, const std::string& name, const std::string& value);
// The value of the first call field: its length runs to the first non-digit, its text starts
// after the first ">" from the field's "<". False when the line has no call field.
bool CallField(const std::string& line, std::string& value);
// The same value, or empty text.
std::string CallFieldValue(const std::string& line);
// The text of the first dxcc field, whose length is the one character after "<dxcc:".
std::string DxccFieldValue(const std::string& line);
// Offset of the first occurrence of name in line, whatever its case; npos when absent.
size_t FindFieldName(const std::string& line, const std::string& name, size_t from = 0);

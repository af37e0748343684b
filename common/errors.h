// The run-time error numbers and descriptions that failures are reported with.
#pragma once

#include <string>

enum ErrorNumber {
  kBadFileNumber = 52,
  kFileNotFound = 53,
  kInputPastEnd = 62,
  kPermissionDenied = 70,
  kPathNotFound = 76,
};

// "File not found" for 53; "Internal error" for numbers the table does not hold.
std::string ErrorDescription(int number);
// " 53 File not found": the number in number-to-text form, a blank, the description.
std::string ErrorReport(int number);

// The run-time error table.
#include "common/errors.h"

#include "common/text.h"

namespace {

struct ErrorRow {
  int number;
  const char* description;
};

constexpr ErrorRow kErrorTable[] = {
    {5, "Illegal function call"},  {6, "Overflow"},
    {7, "Out of memory"},          {9, "Subscript/Pointer out of range"},
    {11, "Division by zero"},      {24, "Device timeout"},
    {51, "Internal error"},        {52, "Bad file name or number"},
    {53, "File not found"},        {54, "Bad file mode"},
    {55, "File is open"},          {57, "Device I/O error"},
    {58, "File already exists"},   {61, "Disk full"},
    {62, "Input past end"},        {63, "Bad record number"},
    {64, "Bad file name"},         {67, "Too many files"},
    {68, "Device unavailable"},    {69, "Comm error"},
    {70, "Permission denied"},     {71, "Disk not ready"},
    {72, "Disk media error"},      {74, "Rename across disks"},
    {75, "Path/file access error"}, {76, "Path not found"},
};

}  // namespace

std::string ErrorDescription(int number) {
  for (const ErrorRow& row : kErrorTable)
    if (row.number == number) return row.description;
  return "Internal error";
}

std::string ErrorReport(int number) {
  return NumberToText(number) + " " + ErrorDescription(number);
}

// The worked list and the confirmed list, from WSJT-X's contact log and the QRZ logbook copy.
#pragma once

#include <string>

#include "monitor/state.h"

// Adds the callsigns of WSJT-X's contact log that the list does not hold yet. When the log
// cannot be opened: errorText ends in "READWSJT", shown until a key is pressed. track notes
// what was read, so that a reload reads only what was appended since.
void MergeWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track);
// The same without a word on screen: a reload while monitoring keeps the list it has when the
// log is missing or unreadable, and the loop goes on. A log that only grew since the last read
// is read from where that read ended; any other (shorter, rewritten, replaced) is read whole.
void ReloadWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track);
// Starts the list afresh from the FT8 and JT65 contacts of the local logbook copy. A copy not
// made yet is said on a line and leaves the list empty; any other failure is shown until a key.
void LoadQrzWorked(WorkedList& workedList, std::string& errorText);
// The DXCC entities of every confirmed contact in the local logbook copy; reports nothing.
void LoadConfirmedDX(ConfirmedList& confirmedList, std::string& errorText);
// Both at once, as start-up needs them: the copy (100,000 records in a decade) is read once.
// Fails as LoadQrzWorked does. confirmedBands, when given, gets the bands each entity is
// confirmed on, beside confirmedList.
void LoadQrzLists(WorkedList& workedList, ConfirmedList& confirmedList, std::string& errorText,
                  ConfirmedBands* confirmedBands = nullptr);
// The local logbook copy: the account name followed by ".adi.txt", in the current folder.
std::string LogBookCopyName();
// WSJT-X's folder, where its decode file, its log and a downloaded cty.dat are: "WSJT-X", or
// "WSJT-X - NAME" for the instance of a second radio (glb_RigName).
std::string WsjtxFolder();
// WSJT-X's contact log, whatever the case of its name on disk.
std::string WsjtxLogPath();

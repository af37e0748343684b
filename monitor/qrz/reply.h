// Asking the QRZ services: every request lands in the one temporary file, and the reply's
// elements are cut out of its text.
#pragma once

#include <string>

inline constexpr size_t kMaxAddressLength = 255;

// Base addresses of the two services, from DXVANE_QRZ_XML_URL and DXVANE_QRZ_LOGBOOK_URL.
std::string QrzXmlBase();
std::string QrzLogbookBase();
// Sends the address (cut to 255 characters) and downloads the reply into glb_TempFileName.
// False when the request failed; the temporary file then holds nothing to be read.
bool RequestToTempFile(const std::string& address);
// Requests the address and reads the reply's first line (up to a CR; line feeds stay).
// A failed request gives an empty reply, never the previous one.
void FetchReply(const std::string& address, std::string& reply);
// The text from the first opening marker up to the first closing marker, every opening
// marker removed and blanks stripped. False when the opening marker is absent.
bool MarkedValue(const std::string& reply, const std::string& opening, const std::string& closing, std::string& value);
// The value of the element <tag>...</tag>, found as MarkedValue finds it.
bool TagValue(const std::string& reply, const std::string& tag, std::string& value);

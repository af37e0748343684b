// Asking the QRZ services: every request lands in the one temporary file, and the reply's
// elements are cut out of its text.
#pragma once

#include <string>

#include "platform/download.h"

inline constexpr size_t kMaxAddressLength = 255;

// Base addresses of the two services, from DXVANE_QRZ_XML_URL and DXVANE_QRZ_LOGBOOK_URL.
std::string QrzXmlBase();
std::string QrzLogbookBase();
// A value fit to stand in a query: every byte but the unreserved ones (letters, digits,
// "-", ".", "_", "~") as %XX, so that "&", ";", "#", "+", "%" and blanks arrive as typed.
std::string PercentEncoded(const std::string& value);
// The address as it is sent: at most 255 characters, never cut inside a percent escape.
std::string CutAddress(const std::string& address);
// Sends the address (cut) and downloads the reply into glb_TempFileName within limits.
// Anything but kDone: the temporary file holds nothing to be read, failure says why.
DownloadStatus RequestToTempFile(const std::string& address, std::string& failure, const DownloadLimits& limits = {},
                                 const ReceivedBytes& onReceived = nullptr);
// Requests the address and reads the reply's first line (up to a CR; line feeds stay); a
// reply of the XML service is small, so it has kSmallReplyLimits. A failed request gives an
// empty reply, never the previous one.
DownloadStatus FetchReply(const std::string& address, std::string& reply, std::string& failure,
                          const DownloadLimits& limits = kSmallReplyLimits);
// The text from the first opening marker up to the first closing marker, every opening
// marker removed and blanks stripped. False when the opening marker is absent.
bool MarkedValue(const std::string& reply, const std::string& opening, const std::string& closing, std::string& value);
// The value of the element <tag>...</tag>, found as MarkedValue finds it.
bool TagValue(const std::string& reply, const std::string& tag, std::string& value);
// XML text as UTF-8: taken as UTF-8 when valid, else as ISO-8859-1 (one real reply mixes
// both, field by field), then its references decoded: &amp; &lt; &gt; &quot; &apos; and
// numeric ones (&#233; &#xE9;, any character). A reference that names none stays as it is.
std::string DecodeXmlText(const std::string& text);

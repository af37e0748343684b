// The QRZ XML session key.
#pragma once

#include <string>

#include "platform/download.h"

inline constexpr const char* kNoReply = "no reply from the QRZ service";

// The key from a session reply that came with this status; false with errorText saying why
// when none came (a service error, a failed request, a reply without a key).
bool KeyFromReply(DownloadStatus status, const std::string& failure, const std::string& reply, std::string& key,
                  std::string& errorText);
// Asks for a new key with the account and password. On success key holds it and errorText
// is empty. When no key came (a service error, a failed request, a reply without a key) the
// error box is shown, the program pauses 1,000 seconds so that the user ends it, and
// errorText says what happened; key is left as it was.
void GetSessionKey(std::string& key, std::string& errorText);
// The same, with what the service says of the account (its <Message>), empty when nothing.
void GetSessionKey(std::string& key, std::string& errorText, std::string& message);
// The same while monitoring: a failed renewal shows the error box for a few seconds only,
// so that the monitor goes on and tries again in the next period.
void RenewSessionKey(std::string& key, std::string& errorText);

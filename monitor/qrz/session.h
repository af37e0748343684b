// The QRZ XML session key.
#pragma once

#include <string>

#include "platform/download.h"

inline constexpr const char* kNoReply = "no reply from the QRZ service";

enum class SessionResult {
  kOpened,       // a key came
  kRefused,      // the service's own error: a wrong password, an account without XML access
  kUnreachable,  // the request failed on its way: no connection, a time-out, an HTTP error, a cut reply
};

// The key from a session reply that came with this status; errorText says why when none came.
SessionResult KeyFromReply(DownloadStatus status, const std::string& failure, const std::string& reply, std::string& key,
                           std::string& errorText);
// Asks for a new key with the account and password. On success key holds it and errorText
// is empty. When no key came (a service error, a failed request, a reply without a key) the
// error box is shown (the password never in it), the program pauses 1,000 seconds or until a
// key, and errorText says what happened; key is left as it was.
void GetSessionKey(std::string& key, std::string& errorText);
// The same, with what the service says of the account (its <Message>), empty when nothing.
void GetSessionKey(std::string& key, std::string& errorText, std::string& message);
// The same while monitoring: a failed renewal shows the error box for a few seconds only,
// so that the monitor goes on and tries again in the next period.
void RenewSessionKey(std::string& key, std::string& errorText);
// At start-up: only the service's own refusal shows the box and pauses; a request that failed
// on its way shows nothing, and the run goes on without a session.
SessionResult OpenSessionKey(std::string& key, std::string& errorText, std::string& message);
// While no session is open: asks again without a word on the screen.
SessionResult RetrySessionKey(std::string& key, std::string& errorText, std::string& message);

// The QRZ XML session key.
#pragma once

#include <string>

// Asks for a new key with the account and password. On success key holds it and errorText
// is empty; on a service error the error box is shown, the program pauses 1,000 seconds
// so that the user ends it, and errorText holds the message; key is left as it was.
void GetSessionKey(std::string& key, std::string& errorText);

#pragma once

// Routines the whole program shares: opening addresses, and the branding file's encryption
// with the program's own password. The byte routines (SplitFields, DecodeHexEscapes, ...)
// live below every folder that reads answers, in text/, and come along with this header.

#include "text/TextRoutines.h"

#include <string>

namespace platform {
class Launcher;
}

// Opens the address in the web browser. False only when no browser is registered; the
// address is the browser's only argument and the browser is not waited for.
bool OpenUrl(const std::string& address, platform::Launcher& launcher);
// Whether a link clicked in shown content (a welcome page, a news item) may go to the browser:
// http, https and mailto addresses only, the scheme in any letter case. A file, a script or a
// bare word that the browser could take for one of its options goes nowhere.
bool IsBrowserLink(const std::string& address);

// The branding file's container, with the program's fixed password. Both throw
// std::runtime_error when the source cannot be opened or the destination cannot be created;
// a container that fails its checks still leaves what was decrypted (possibly nothing).
void DecryptFile(const std::string& sourcePath, const std::string& destinationPath);
void EncryptFile(const std::string& sourcePath, const std::string& destinationPath);

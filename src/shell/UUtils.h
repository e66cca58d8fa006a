#pragma once

// Routines the whole program shares: opening addresses, splitting and decoding server
// texts, and the branding file's encryption with the program's own password.

#include <string>
#include <vector>

namespace platform {
class Launcher;
}

// Opens the address in the web browser. False only when no browser is registered; the
// address is the browser's only argument and the browser is not waited for.
bool OpenUrl(const std::string& address, platform::Launcher& launcher);

// Empties `fields`, then fills it with the pieces of `text` between separators. A field
// before a separator is kept even when empty; a last empty field is dropped.
void SplitFields(char separator, const std::string& text, std::vector<std::string>& fields);

// Decodes "$" plus two hexadecimal digits into that byte. Any malformed escape makes the
// whole result empty.
std::string DecodeHexEscapes(const std::string& text);

// The branding file's container, with the program's fixed password. Both throw
// std::runtime_error when the source cannot be opened or the destination cannot be created;
// a container that fails its checks still leaves what was decrypted (possibly nothing).
void DecryptFile(const std::string& sourcePath, const std::string& destinationPath);
void EncryptFile(const std::string& sourcePath, const std::string& destinationPath);

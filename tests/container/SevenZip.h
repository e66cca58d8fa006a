#pragma once

// Runs 7-Zip, the independent implementation of the AES ZIP scheme our container shares.

#include <string>

// "7zz" or "7z", whichever is installed; empty when neither is.
std::string SevenZipProgram();

// Runs a shell command with its output discarded and returns its exit status.
int RunQuietly(const std::string& commandLine);

// Wraps a text in single quotes for the shell.
std::string ShellQuote(const std::string& text);

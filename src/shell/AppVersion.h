#pragma once

// The program's own version: window caption, About window, update check, --version. The
// packages take theirs from the build's project version, which a test keeps equal to this;
// the reseller's tool shows the caption a branded copy will wear, so it reads it from here too.
inline constexpr const char* kAppVersion = "2.01";

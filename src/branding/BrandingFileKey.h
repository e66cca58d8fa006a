#pragma once

// The password and chunk size the program and the reseller's tool both use for the branding
// file's container. Changing either makes existing branding files unreadable.

#include <cstdint>

inline constexpr char kBrandingFilePassword[] = "wepdorukiv";
inline constexpr std::uint32_t kBrandingFileBufferSize = 262144;

#pragma once

// The fixed words with which the counter's scripts say why they cannot do their work, and
// what the program tells the site owner about each: what is wrong and what to do.

#include <string_view>

// The text for an answer that is exactly one of the counter's error words; null for any
// other answer, "OK" and the transport failure included.
const char* CounterErrorText(std::string_view answer);

#pragma once

// What the main window's building and its handlers share: a link label keeps its address
// apart from its caption, as the original bytes.

#include <string>

class QLabel;

void SetLink(QLabel* label, const std::string& caption, const std::string& address);
std::string LinkAddress(const QLabel& label);

#pragma once

#include "ui/UnexpectedError.h"

#include <string>
#include <vector>

// Texts that the application's unexpected-error handler received during the test run.
std::vector<std::string>& UnexpectedErrorsSeen();

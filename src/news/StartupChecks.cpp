#include "news/StartupChecks.h"

#include "ui/UnexpectedError.h"

void TStartupChecks::Run()
{
    if (ran_)
        return;
    ran_ = true;
    // An unexpected error in one step is reported and the next step still runs.
    for (const Step& step : steps_) {
        if (stopped_)
            return;
        RunGuarded(step);
    }
}

#pragma once

// What the main window takes from the world. The program passes the real things; tests
// pass fakes, so no window ever waits for a person.

#include "net/HttpClient.h"
#include "ui/FolderChooser.h"
#include "ui/MessageBox.h"
#include "ui/SaveFileChooser.h"

#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class Launcher;
}

struct AppContext {
    std::string programDirectory; // the program's own files and the branding files live here
    std::string settingsDirectory; // hsettings.dat and config.php; empty: the program directory
    std::string updateBaseUrl; // the update directory, ending in "/"; empty: no update server
    MessageResponder messageResponder; // empty: the real message boxes
    FolderChooser chooseFolder; // empty: the real folder dialog
    SaveFileChooser chooseSaveFile; // empty: the real save dialog
    platform::Launcher* launcher = nullptr; // empty: the operating system's
    net::HttpLimits httpLimits;
    // Shows a secondary window modally and returns its result; empty: QDialog::exec.
    std::function<int(class QDialog&)> showModal;
    // Uniform in [0, count), for the welcome page, banner and link picks; empty: a generator
    // seeded from the system's entropy and the clock.
    std::function<unsigned(unsigned count)> random;
    // Seconds since the epoch; empty: the system clock.
    std::function<std::int64_t()> clock;
    // The IANA name of the time zone whose days and months the history shows; empty: this
    // computer's.
    std::string timeZone;
    // When not empty, the window opens on this welcome page as if the branding had picked it.
    std::string welcomeText;
    // The id of the news item read last; empty: LastNewsId in the branding file.
    std::function<std::string()> readLastNewsId;
    std::function<void(const std::string&)> writeLastNewsId;
};

// Any settings file: reading never fails, and what is written reads back as written.
#include "text/IniText.h"
#include "site/SettingsFiles.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ServerSettings read = ReadServerSettingsText(text);
    const ServerSettings plain{"http://site", "host", "db", "user", "secret"};
    const std::string written = WriteServerSettingsText(text, plain);
    if (!(ReadServerSettingsText(written) == plain))
        __builtin_trap();
    // A value of any bytes stays on one line.
    const std::string withValue = WriteIniValue("", "Settings", "spassword", text);
    if (ReadIniValue(withValue, "Settings", "susername") != "")
        __builtin_trap();
    (void)read;
    (void)MakeConfigPhp(read);
    return 0;
}

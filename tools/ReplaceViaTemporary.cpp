#include "ReplaceViaTemporary.h"

#include "WriteBehindStream.h"

#include "container/FileStreams.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

fs::path TemporarySibling(const fs::path& path, const std::string& mark)
{
    std::random_device random;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    for (;;) {
        const fs::path candidate
            = folder / ("." + path.filename().string() + mark + std::to_string(random() % 1000000000u));
        std::error_code ignored;
        if (!fs::exists(candidate, ignored))
            return candidate;
    }
}

std::string ReplaceViaTemporary(const std::string& path, const std::function<std::string(WritableStream&)>& write)
{
    const fs::path temporary = TemporarySibling(fs::path(path), ".part-");
    std::string error;
    try {
        FileWriteStream file(temporary.string());
        WriteBehindStream destination(file);
        error = write(destination);
        const bool flushed = destination.Finish();
        if ((!flushed || !file.Close()) && error.empty())
            error = "cannot write " + temporary.string();
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    std::error_code fileError;
    if (error.empty()) {
        fs::rename(temporary, path, fileError);
        if (fileError)
            error = "cannot rename " + temporary.string() + " to " + path + ": " + fileError.message();
    }
    if (!error.empty())
        fs::remove(temporary, fileError);
    return error;
}

#include "FolderUpdate.h"

#include "ReplaceViaTemporary.h"

#include "container/FileStreams.h"

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct Step {
    fs::path target;
    fs::path temporary; // the new file's temporary; empty for a removal
    fs::path aside; // where the old file waits until the end; empty when there was none
    bool oldMovedAside = false;
    bool newInPlace = false;
};

std::string WriteTemporary(const fs::path& temporary, const std::string& bytes)
{
    try {
        FileWriteStream file(temporary.string());
        if (!file.Write(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) || !file.Close())
            return "cannot write " + temporary.string();
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    return {};
}

void RemoveQuietly(const fs::path& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

// Puts back what the steps did, newest first. Returns what could not be put back.
std::string Undo(std::vector<Step>& steps, const RenameFile& rename)
{
    std::string stuck;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        std::error_code error;
        if (step->newInPlace) {
            fs::remove(step->target, error);
            if (!error)
                step->newInPlace = false;
        }
        if (step->oldMovedAside && !step->newInPlace) {
            rename(step->aside, step->target, error);
            if (!error)
                step->oldMovedAside = false;
        }
        if (step->oldMovedAside)
            stuck += "; the old " + step->target.filename().string() + " is left as " + step->aside.string();
        if (!step->temporary.empty())
            RemoveQuietly(step->temporary);
    }
    return stuck;
}

} // namespace

void SystemRename(const fs::path& from, const fs::path& to, std::error_code& error)
{
    fs::rename(from, to, error);
}

std::string UpdateFolder(const fs::path& folder, const std::vector<FileChange>& changes, const RenameFile& rename)
{
    std::vector<Step> steps;
    std::vector<const std::string*> contents;
    for (const FileChange& change : changes) {
        Step step;
        step.target = folder / change.name;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(step.target, error);
        const bool exists = fs::exists(status);
        if (exists && !fs::is_regular_file(status))
            return step.target.string() + " is not a file; nothing was changed";
        if (!exists && !change.bytes)
            continue;
        if (exists)
            step.aside = TemporarySibling(step.target, ".old-");
        steps.push_back(step);
        contents.push_back(change.bytes ? &*change.bytes : nullptr);
    }

    // Everything new is on disk before anything old is touched.
    for (std::size_t index = 0; index < steps.size(); ++index) {
        if (contents[index] == nullptr)
            continue;
        steps[index].temporary = TemporarySibling(steps[index].target, ".part-");
        const std::string error = WriteTemporary(steps[index].temporary, *contents[index]);
        if (!error.empty()) {
            Undo(steps, rename);
            return error + "; nothing was changed";
        }
    }

    for (Step& step : steps) {
        std::error_code error;
        if (!step.aside.empty()) {
            // The new file keeps the old one's permissions.
            if (!step.temporary.empty()) {
                std::error_code ignored;
                fs::permissions(step.temporary, fs::status(step.target, ignored).permissions(), ignored);
            }
            rename(step.target, step.aside, error);
            if (error) {
                const std::string stuck = Undo(steps, rename);
                return "cannot move " + step.target.string() + " aside: " + error.message()
                    + (stuck.empty() ? "; nothing was changed" : stuck);
            }
            step.oldMovedAside = true;
        }
        if (!step.temporary.empty()) {
            rename(step.temporary, step.target, error);
            if (error) {
                const std::string stuck = Undo(steps, rename);
                return "cannot rename " + step.temporary.string() + " to " + step.target.string() + ": "
                    + error.message() + (stuck.empty() ? "; nothing was changed" : stuck);
            }
            step.newInPlace = true;
        }
    }
    for (const Step& step : steps)
        if (!step.aside.empty())
            RemoveQuietly(step.aside);
    return {};
}

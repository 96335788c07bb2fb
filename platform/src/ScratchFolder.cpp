#include "platform/ScratchFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {
std::string g_folder;
std::string g_failure;
pid_t g_owner = 0;
bool g_atExitSet = false;

void RemoveAtExit()
{
    // A forked child ends without taking its parent's folder with it.
    if (g_owner == ::getpid()) RemoveScratchFolder();
}
} // namespace

bool MakeScratchFolder()
{
    if (!g_folder.empty()) return true;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        g_failure = "no temporary folder was found (" + error.message() + ")";
        return false;
    }
    std::string pattern = (base / "travik-XXXXXX").string();
    // mkdtemp makes the folder with mode 0700.
    if (::mkdtemp(pattern.data()) == nullptr) {
        g_failure = "the folder could not be made in '" + base.string() + "' (" + std::strerror(errno) + ")";
        return false;
    }
    g_folder = pattern;
    g_failure.clear();
    g_owner = ::getpid();
    if (!g_atExitSet) g_atExitSet = std::atexit(&RemoveAtExit) == 0;
    return true;
}

CString ScratchFilePath(const char* name)
{
    if (!MakeScratchFolder()) return CString(std::string("/nonexistent-travik-scratch/") + name);
    return CString(g_folder + "/" + name);
}

CString ScratchFolderFailureText()
{
    return CString("The editor could not make its scratch folder: " + g_failure +
                   ". The metadata scan and Direct inject cannot use their scratch files.");
}

void RemoveScratchFolder()
{
    if (g_folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
    g_folder.clear();
}

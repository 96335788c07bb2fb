#include "bench/BenchSupport.h"

#include "map/MapFiles.h"
#include "map/MapState.h"
#include "tests/support/MapBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

std::map<std::string, std::filesystem::path>& Folders()
{
    static std::map<std::string, std::filesystem::path> folders;
    return folders;
}

} // namespace

void EnterScratchFolder(const char* name)
{
    auto& folders = Folders();
    auto found = folders.find(name);
    if (found == folders.end()) {
        if (folders.empty()) {
            std::atexit([] {
                std::error_code ignored;
                for (const auto& [unused, folder] : Folders()) std::filesystem::remove_all(folder, ignored);
            });
        }
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        found = folders.emplace(name, pattern).first;
    }
    std::filesystem::current_path(found->second);
}

void OpenAndLoadMap(const char* file)
{
    ResetMapState();
    g_LogFile.Open("Log.txt", CFileStream::kLogFile);
    g_strMapFileName = file;
    OpenMapFile();
    travik::test::LoadOpenMap(nullptr);
}

#include "tests/support/TestEnvironment.h"

#include "map/MapState.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace travik::test {

void WorkDirTest::SetUp()
{
    ResetMapState();
    m_previous = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "travik-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    ASSERT_NE(made, nullptr);
    m_dir = made;
    std::filesystem::current_path(m_dir);
}

void WorkDirTest::TearDown()
{
    ResetMapState();
    std::filesystem::current_path(m_previous);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void OpenTestLog() { g_LogFile.Open("Log.txt", CFileStream::kLogFile); }

std::string CloseAndReadLog()
{
    g_LogFile.Close();
    return ReadFileBytes("Log.txt");
}

} // namespace travik::test

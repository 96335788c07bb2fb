// Every test runs in a fresh temporary working directory (the editor writes
// Log.txt and scratch files into the current directory) with the
// process-wide state returned to its start-up values.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace travik::test {

class WorkDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of a file in the test's working directory.
    std::filesystem::path PathOf(const std::string& name) const { return m_dir / name; }
    std::filesystem::path Dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// Opens "Log.txt" in the current directory as the editor does at start.
void OpenTestLog();
// Closes the log and returns what it holds.
std::string CloseAndReadLog();

} // namespace travik::test

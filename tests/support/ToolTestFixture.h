// The tool dialogs run on their own with a headless user, in a fresh
// working directory, with the map helpers they share.
#pragma once

#include "map/MapState.h"
#include "platform/headless/HeadlessPresenter.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <string>

namespace travik::test {

class ToolDialogTest : public WorkDirTest {
protected:
    void TearDown() override
    {
        g_MapFile.Close();
        g_LogFile.Close();
        WorkDirTest::TearDown();
    }

    // Writes the map, opens it as the open map and loads it as the main
    // window does; returns the file's bytes as written.
    std::string OpenLoaded(const MapBuilder& map, const std::string& fileName = "test.map")
    {
        OpenBuiltMap(map, fileName);
        LoadOpenMap(nullptr);
        return ReadFileBytes(PathOf(fileName));
    }

    // The open map's bytes as they are now on disk.
    std::string MapBytes(const std::string& fileName = "test.map") { return ReadFileBytes(PathOf(fileName)); }

    // The texts of the editor's message boxes ("Message") that were shown.
    std::vector<CString> EditorMessages() const
    {
        std::vector<CString> texts;
        for (const auto& shown : user.Shown())
            if (shown.kind == headless::ShownWindow::Dialog && shown.caption == "Message") texts.push_back(shown.Text(1029));
        return texts;
    }

    headless::HeadlessPresenter user;

private:
    headless::ScopedPresenter m_active {user};
};

inline std::string Overwritten(std::string bytes, size_t at, const std::string& with)
{
    if (bytes.size() < at + with.size()) bytes.resize(at + with.size(), '\0');
    bytes.replace(at, with.size(), with);
    return bytes;
}

} // namespace travik::test

// The Direct Injection dialog run headlessly over an open map: a fresh
// working directory with "Log.txt", the open map read as the main window
// reads it, and helpers to reach the dialog's controls and tags.
#pragma once

#include "directinject/DirectInjectDialog.h"
#include "map/MapState.h"
#include "platform/headless/HeadlessPresenter.h"
#include "res/ResourceIds.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <functional>
#include <string>
#include <vector>

namespace travik::test {

// Picks the tree item of a tag of a table (g_Tags or g_InputTags).
inline std::function<HTREEITEM(CTreeCtrl&)> ItemOf(const TagEntry* table, int index)
{
    return [table, index](CTreeCtrl&) { return table[index].m_hItem2; };
}

class DirectInjectTest : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        OpenTestLog();
    }

    // Writes the open map as "open.map" and reads it as the main window does.
    MapLayout OpenMap(const MapBuilder& map)
    {
        MapLayout layout = OpenBuiltMap(map, "open.map");
        LoadOpenMap(nullptr);
        return layout;
    }

    // Runs one opening of the dialog with the steps queued before.
    void RunDialog()
    {
        CDirectInjectDialog dlg;
        dlg.DoModal();
    }

    // The log written so far; the log is opened again for later entries.
    std::string LogSoFar()
    {
        std::string log = CloseAndReadLog();
        g_LogFile.Open("Log.txt", CFileStream::modeWrite);
        g_LogFile.SeekWrite(static_cast<int64_t>(log.size()));
        return log;
    }

    // One opening of the dialog: Open Map on the second map, a target and
    // a source selected (-1: none), Inject, and `messages` message boxes
    // closed as they come. Returns the texts of the message boxes shown.
    std::vector<CString> InjectThroughDialog(int source, int target, size_t messages,
                                             const char* secondMap = "second.map")
    {
        const size_t before = user.Shown().size();
        auto& steps = user.ExpectDialog("Direct Injection").Click(IDC_OPEN_MAP);
        user.AnswerFile(secondMap);
        if (target >= 0) steps.SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, target));
        if (source >= 0) steps.SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, source));
        steps.Click(IDC_INJECT).Escape();
        for (size_t i = 0; i < messages; ++i) user.ExpectDialog("Message").Escape();
        RunDialog();
        std::vector<CString> texts;
        for (size_t i = before; i < user.Shown().size(); ++i)
            if (user.Shown()[i].caption == "Message") texts.push_back(user.Shown()[i].Text(IDC_MESSAGE));
        return texts;
    }

    headless::HeadlessPresenter user;

private:
    headless::ScopedPresenter m_active {user};
};

inline CTreeCtrl& TreeIn(CDialog& d, int id) { return *dynamic_cast<CTreeCtrl*>(d.GetDlgItem(id)); }
inline std::vector<CString> ListIn(CDialog& d)
{
    return dynamic_cast<CListCtrl*>(d.GetDlgItem(IDC_DEPENDENCY_LIST))->Items();
}

// The tag items of a tree (the items below the class nodes), depth first.
inline std::vector<std::string> TagItemsOf(const CTreeCtrl& tree)
{
    std::vector<std::string> names;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
        for (HTREEITEM node = tree.GetChildItem(root); node; node = tree.GetNextSiblingItem(node))
            for (HTREEITEM tag = tree.GetChildItem(node); tag; tag = tree.GetNextSiblingItem(tag))
                names.push_back(tree.GetItemText(tag).Bytes());
    return names;
}

// The log's lines of opening and closing files and of index loads, in
// order, without their tab and line end.
inline std::vector<std::string> FileLogLines(const std::string& log)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '\t' &&
            (line.find(" opened ") != std::string::npos || line.find(" closed ") != std::string::npos ||
             line == "\tIndex load starts."))
            lines.push_back(line.substr(1));
        start = end + 1;
    }
    return lines;
}

} // namespace travik::test

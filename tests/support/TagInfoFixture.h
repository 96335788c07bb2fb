// The Tag Controls dialog run headlessly on a built map: the map is written
// and loaded as the main window loads it, the dialog is run for one tag,
// and the map file is read back whole to compare bytes.
#pragma once

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "res/ResourceIds.h"
#include "tagcontrols/TagInfo.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace travik::test {

class TagControls : public ShellTest {
protected:
    static MapBuilder Xbox3()
    {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
        map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96);
        map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
        return map;
    }

    // The file padded so that its length holds no 0x78 byte, and the EoF
    // position there: a map whose data ends at the end of the file.
    static MapBuilder& EofAtFileEnd(MapBuilder& map)
    {
        const uint32_t laidOut = map.Layout().fileSize;
        auto holds78 = [](uint32_t value) {
            for (int i = 0; i < 4; ++i)
                if (((value >> (8 * i)) & 0xFF) == 0x78) return true;
            return false;
        };
        uint32_t end = laidOut;
        while (holds78(end)) ++end;
        if (end > laidOut) map.Patch(end - 1, "\x5A");
        return map.EofPosition(end);
    }

    const MapLayout& Load(const MapBuilder& map)
    {
        m_layout = OpenBuiltMap(map);
        LoadOpenMap(nullptr);
        return m_layout;
    }
    const MapLayout& Layout() const { return m_layout; }

    // The index read again after the test changed the file behind it.
    void ReloadIndex() { LoadOpenMap(nullptr); }

    headless::DialogSteps& Expect() { return user.ExpectDialog("Tag Controls"); }
    // The editor's message box with this text.
    void ExpectMessage(const CString& text)
    {
        user.ExpectDialog("Message")
            .Inspect([text](CDialog& d) {
                CString shown;
                d.GetDlgItem(IDC_MESSAGE)->GetWindowText(shown);
                EXPECT_EQ(shown.Bytes(), text.Bytes());
            })
            .Escape();
    }

    static void Run(int tag)
    {
        CTagInfo dlg;
        dlg.SetTag(tag);
        dlg.DoModal();
    }

    std::string FileBytes() const { return ReadFileBytes(PathOf("test.map")); }
    void PatchFile(uint32_t at, const std::string& bytes)
    {
        g_MapFile.SeekWrite(at);
        g_MapFile.Write(bytes);
    }
    static void Put(std::string& file, uint32_t at, const std::string& bytes)
    {
        if (file.size() < at + bytes.size()) file.resize(at + bytes.size(), '\0');
        file.replace(at, bytes.size(), bytes);
    }

    // Whole files compared; a difference is reported by its first offset.
    static ::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
    {
        if (actual == expected) return ::testing::AssertionSuccess();
        size_t at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
        auto byte = [](const std::string& s, size_t i) {
            return i < s.size() ? std::to_string(static_cast<unsigned char>(s[i])) : std::string("end");
        };
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                             << ", first difference at 0x" << std::hex << at << std::dec << ": "
                                             << byte(actual, at) << " instead of " << byte(expected, at);
    }

    static CEdit& Edit(CDialog& d, int id) { return *dynamic_cast<CEdit*>(d.GetDlgItem(id)); }
    static CComboBox& Combo(CDialog& d, int id) { return *dynamic_cast<CComboBox*>(d.GetDlgItem(id)); }
    static CTreeCtrl& ScanTree(CDialog& d) { return *dynamic_cast<CTreeCtrl*>(d.GetDlgItem(IDC_SCANNER_TREE)); }

    // The newest item of the scanner tree whose text begins with the prefix.
    static std::function<HTREEITEM(CTreeCtrl&)> ItemStarting(const CString& prefix)
    {
        return [prefix](CTreeCtrl& tree) {
            HTREEITEM found = nullptr;
            for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
                for (HTREEITEM item = tree.GetChildItem(root); item; item = tree.GetNextSiblingItem(item))
                    if (tree.GetItemText(item).Left(prefix.GetLength()) == prefix) found = item;
            return found;
        };
    }
    // The texts of the scanner tree: roots, and their items indented.
    static std::vector<CString> TreeTexts(CTreeCtrl& tree)
    {
        std::vector<CString> texts;
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
            texts.push_back(tree.GetItemText(root));
            for (HTREEITEM item = tree.GetChildItem(root); item; item = tree.GetNextSiblingItem(item))
                texts.push_back("  " + tree.GetItemText(item));
        }
        return texts;
    }

private:
    MapLayout m_layout;
};

} // namespace travik::test

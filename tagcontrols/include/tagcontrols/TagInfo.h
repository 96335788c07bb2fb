// The "Tag Controls" dialog for one tag of the open map: its index entry
// and name for editing, the metadata scanner with its results, and the
// metadata file tools. Every change is written into the map by the button
// that makes it; closing the dialog writes nothing.
#pragma once

#include "map/MapState.h"
#include "map/MapWrite.h"
#include "tagcontrols/NameMove.h"
#include "platform/DialogLayer.h"

#include <cstdint>
#include <string>
#include <vector>

// Messages of the dialog (also used by its metadata file handlers).
extern const char* const kLongNameNotWrittenMessage;
extern const char* const kMovedNameOutOfRangeMessage;
CString EntryOutsideMapMessage();
CString NamePastEndMessage();
extern const char* const kEofInUseMessage;
CString EofPastEndMessage();
// Where tag k's index entry lies in the open map.
uint32_t IndexEntryOffset(int k);

class CTagInfo : public CDialog {
public:
    explicit CTagInfo(CWnd* pParent = nullptr);
    ~CTagInfo() override;

    // Copies tag i of g_Tags into the members; call before DoModal.
    void SetTag(int i);

    CButton m_btnRevert;
    CComboBox m_comboScanTag;
    CTreeCtrl m_treeScanner;
    CComboBox m_comboType3;
    CComboBox m_comboType2;
    CComboBox m_comboType1;
    CString m_strMetaOffset;
    CString m_strTagName;
    CString m_strPageOffset;
    CString m_strStringOffset;
    CString m_strValue;
    CString m_strIdentifier;
    int m_nMetaSize;
    CString m_strType1;
    CString m_strType2;
    CString m_strType3;
    BOOL m_bCorrectMetadata;
    BOOL m_bRecursive;
    float m_fFloatPrecision;
    BOOL m_bDependencies;
    BOOL m_bFloats;
    BOOL m_bLoneIDs;
    BOOL m_bPointers;
    BOOL m_bReflexives;
    BOOL m_bShorts;
    CString m_strScanTag;
    CString m_strScanClass;
    double m_dScanValue;
    int m_nTagIndex;
    int m_nScanItem;
    HTREEITEM m_hDependencies;
    HTREEITEM m_hLoneIDs;
    HTREEITEM m_hReflexives;
    HTREEITEM m_hPointers;
    HTREEITEM m_hFloats;
    HTREEITEM m_hShorts;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnRevert();
    void OnSaveChanges();
    void OnUpdateNameLocation();
    void OnClearScanner();
    void OnScanMetadata();
    void OnUpdateItem();
    void OnSaveMetadata();   // defined in TagInfoMetadata.cpp
    void OnInjectMetadata(); // defined in TagInfoMetadata.cpp
    void OnSelchangedScanTree(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // The texts whose bytes the map holds at each place Save Changes
    // writes: a field whose text still equals its baseline is not written,
    // so bytes the texts cannot show (class code bytes after a zero) stay
    // as stored.
    struct SavedTexts {
        CString type1, type2, type3;
        CString metaOffset, stringOffset, identifier, name;
    };
    SavedTexts m_saved;

    // One write of Save Changes.
    struct Place {
        uint32_t at;
        std::string bytes;
        const char* field; // named to the user when a write fails
        bool inEntry = true; // one of the index entry's fields
        // Only the moved name may lengthen the map.
        MapWriteLimit limit = MapWriteLimit::FileEnd;
    };
    // The writes that move a longer name to the EoF position, in order.
    static std::vector<Place> NameMovePlaces(uint32_t entry, uint32_t magic, uint32_t eof, const std::string& name);
    // What Save Changes does with a name typed differently from the stored
    // one: written in place, moved to the EoF position, or refused and why.
    struct NameChange {
        std::vector<Place> inPlace;
        std::vector<Place> move;
        bool changed = false; // written in place or moved
        bool longNameRefused = false;
        bool pastEndRefused = false;
        NameMoveCheck moveCheck = NameMoveCheck::Fits;
        uint32_t offset = 0;
        int length = 0;
    };
    NameChange PlanNameChange(uint32_t entry, uint32_t magic, int64_t fileSize) const;
    // Writes a planned move; the box is unchecked afterwards, as the flag
    // is, whether the move went through or failed part way.
    size_t WriteNameMove(const std::vector<Place>& move, const char** failed);
    // The places written before the first that failed, or all of them;
    // `failed` names the one that failed.
    static size_t WritePlaces(const std::vector<Place>& places, const char** failed);
    // Where the name stands and how long it is there: as loaded, or where
    // a move in this opening put it.
    uint32_t m_nNameOffset = 0;
    int m_nNameLength = 0;

    // The record whose values the scan row shows, and what it showed, so
    // that an untouched text or value stands for the record's own bytes.
    int m_nShownRecord = -1;
    HTREEITEM m_hShownItem = nullptr;
    CString m_strShownScanTag;
    CString m_strShownScanClass;
    double m_dShownScanValue = 0.0;

    // Combo box 1076 holds a class code (four characters) while a
    // Dependency is selected, else a 32-bit target offset (eight digits).
    int ScanClassLimit() const;
    // The index of the record of a tree item; -1 when none has it.
    static int FindScanRecord(HTREEITEM item);
    bool IsScanRoot(HTREEITEM item) const;
    // The first loaded tag whose tag text is `text`; -1 when none.
    static int FindTagByText(const CString& text);
    // The patched bytes of Update Item, or a refusal message.
    bool ShowsRecord(int record) const;
    bool PatchScanRecord(const ScanRecord& record, std::string& block, uint32_t& first, uint32_t& end,
                         CString& refusal);
};

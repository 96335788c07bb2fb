// Map Info: the open map's header, index header and identification, with
// eight header fields written back by Save Changes.
#pragma once

#include "platform/DialogLayer.h"

#include <cstdint>

class CHaloMapInfo : public CDialog {
public:
    explicit CHaloMapInfo(CWnd* pParent = nullptr);
    ~CHaloMapInfo() override;

    UINT m_nTagCount;
    CString m_strIndexOffset;
    CString m_strSPMP;
    CString m_strMapVersion;
    CString m_strMapType;
    CString m_strMapNickname;
    CString m_strMapName;
    CString m_strMapFormat;
    CString m_strMapFilename;
    CString m_strMapBuildDate;
    CString m_strMagic;
    CString m_strIndexMagic;
    CString m_strEofPosition;
    int32_t m_lEofSpace;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSaveChanges();
    void OnRevert();

    DECLARE_MESSAGE_MAP()

private:
    // What the map holds for each writable field, as this dialog knows it:
    // the values it opened with, then those it wrote. A field whose member
    // still equals its entry here is not written again, so its stored bytes
    // (the bytes after a name's end) stay.
    struct WrittenFields {
        UINT tagCount = 0;
        CString indexOffset, eofPosition, indexMagic, version, mapType, mapName, buildDate;
    };
    WrittenFields WritableFields() const;
    WrittenFields m_written;
};

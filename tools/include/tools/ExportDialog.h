// The export dialog: the map's index, or its first 2048 bytes, copied into
// a file of the user's choosing.
#pragma once

#include "platform/DialogLayer.h"

#include <cstdint>

class CExportDialog : public CDialog {
public:
    explicit CExportDialog(CWnd* pParent = nullptr);
    ~CExportDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnExportIndex();
    void OnExportOffsetList();
    void OnExportHeader();
    void OnExportStringIndex();

    DECLARE_MESSAGE_MAP()

private:
    // Asks for a file and copies length bytes of the map from offset into it.
    void ExportStretch(int64_t offset, int64_t length);
};

// The copy buffer: the index passes through it in pieces of this size.
constexpr int64_t kExportBufferSize = 800000;

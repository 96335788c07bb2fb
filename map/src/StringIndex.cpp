#include "map/StringIndex.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "platform/Controls.h"

void LoadStringIndexChunk(uint32_t start, uint32_t end, CProgressCtrl& progress, std::string* rawChunk)
{
    if (rawChunk) rawChunk->clear();
    if (!g_MapFile.IsOpen()) {
        g_strStringIndexText = "Cannot load string information if there is no map open.";
        return;
    }

    if (start >= end) {
        g_strStringIndexText = "Cannot read when starting value is greater than ending value.";
    } else {
        // 64-bit: a start near the top of the range reaches past the file
        // instead of wrapping round to its beginning.
        const int64_t position = int64_t(HexToInt(g_Tags[0].m_strStringOffset)) + start;
        const uint32_t n = end - start;
        g_MapFile.SeekRead(position);
        // The bar's bounds are 16-bit, as the control's range is.
        progress.SetRange(0, static_cast<short>(n));
        progress.SetPos(0);
        if (n > kMaxStringIndexChunk) {
            g_strStringIndexText = "Not enough memory.";
        } else {
            std::string bytes;
            g_MapFile.Read(bytes, n);
            if (g_MapFile.ReadError()) {
                // Cut short by the file system, not by the end of the file:
                // shown as a refusal, so that Update writes nothing from it.
                g_strStringIndexText = FileReadFailedText(g_strMapFileName) + " Nothing was loaded.";
                LogEntryAfterBlankLines("\tString index chunk loaded:\n" + g_strStringIndexText + "\n\n");
                return;
            }
            if (rawChunk) *rawChunk = bytes;
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == '\0') bytes[i] = '*';
                progress.SetPos(static_cast<int>(i));
            }
            g_strStringIndexText = CString(std::move(bytes));
        }
    }

    LogEntryAfterBlankLines("\tString index chunk loaded:\n" + g_strStringIndexText + "\n\n");
}

// Reading a map's header and telling its format, type, nickname, free
// space and tree colour from it.
#pragma once

#include "platform/TreeCtrl.h"

#include <cstdint>

// The header ends with the map type, two bytes at 0x60.
constexpr int64_t kMapHeaderEnd = 0x62;

// The six header fields of the open map into g_MapHeader. A file shorter
// than the header is identified as nothing: its version and type texts are
// "ffff" and its name is empty, so every detection gives "Unknown".
void ReadMapHeader();
// The index offset and EoF position of the second map into g_InputMapHeader.
void ReadInputMapHeader();

// Each sets its text ("Unknown" when nothing matches) and logs it.
void DetectMapFormat();
void DetectMapType();
void DetectMapNickname();

// Free space after the end of an Xbox campaign or multiplayer map; 0 otherwise.
void ComputeEofSpace();

// The tree's background in the colour of the open map's nickname.
void SetTreeColorForMap(CTreeCtrl* tree);
inline void SetTreeColorForMap(CTreeCtrl& tree) { SetTreeColorForMap(&tree); }

// The colour of a nickname (the default grey for any other text).
COLORREF TreeColorForNickname(const CString& nickname);

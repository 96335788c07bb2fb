// Loading a stretch of the tag-name area (the string index, which begins at
// the first tag's name) as text for the string index editor.
#pragma once

#include <cstdint>
#include <string>

class CProgressCtrl;

// The longest stretch one load takes.
constexpr uint32_t kMaxStringIndexChunk = 30000;

// Reads the bytes from start (included) to end (excluded), counted from the
// first tag's name, into g_strStringIndexText with each zero byte shown as
// '*', drives the progress bar and writes the load into the log. A refusal
// leaves its reason in g_strStringIndexText instead. When rawChunk is given
// it receives the bytes as read (empty after a refusal), so that a caller
// can tell a stored '*' from a name's end; a stretch that runs past the end
// of the file holds the bytes that exist.
void LoadStringIndexChunk(uint32_t start, uint32_t end, CProgressCtrl& progress, std::string* rawChunk = nullptr);

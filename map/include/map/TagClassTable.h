// The fixed table of tag classes: four-character codes in their readable
// (byte-reversed) order and their display names. Row order is the order of
// the class nodes in the tag trees.
#pragma once

#include "platform/CString.h"

// Assigns columns 0 and 1 of rows 0-79 of g_TagClasses; touches nothing else.
void FillTagClassTable();

// The row of four 0xFF bytes ("Nulled Out"); rows before it are the known codes.
constexpr int kNulledOutRow = 79;

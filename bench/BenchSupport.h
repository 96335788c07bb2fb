// What the benchmarks that work with files share. They run in one process
// and each works in a folder of its own, so each moves into its folder
// again before it touches a file.
#pragma once

// Makes the scratch folder of this name the current directory: made on the
// first call, removed when the process ends.
void EnterScratchFolder(const char* name);

// Opens the file as the open map and loads its header, index and trees, as
// File > Open Mapfile does, from a fresh map state with a fresh log.
void OpenAndLoadMap(const char* file);

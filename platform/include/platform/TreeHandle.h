#pragma once

// Opaque handle of an item in a tree control; null means no item.
struct TreeItemHandle;
using HTREEITEM = TreeItemHandle*;

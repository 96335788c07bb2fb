#include "tagcontrols/TagInfo.h"

void CTagInfo::OnSaveMetadata() {}

void CTagInfo::OnInjectMetadata() {}

// Save Metadata and Inject Metadata of the Tag Controls dialog: a tag's
// metadata saved as a metadata file with its data file beside it, and such
// a pair put back over a tag, its references re-pointed for the open map.
#pragma once

#include "map/MessageSink.h"
#include "platform/CString.h"

#include <cstdint>

// The button handlers' work: the file chooser, then the pair. Both report
// in the message box.
void SaveMetadata(int32_t tagIndex);
void InjectMetadata(int32_t tagIndex, bool correct);

// Save Metadata of g_Tags[tagIndex] under the name: the metadata file
// byte for byte, then its data file written anew. Nothing is written when
// the map's bytes cannot all be read. True when both files were written.
bool SaveMetadataPair(const CString& metaFileName, int32_t tagIndex, const MessageSink& tell);
// Inject Metadata of the pair of that name over g_Tags[tagIndex], with the
// data file's records applied first when `correct`. Only the injected
// bytes of the map change; the target's bytes past them keep theirs. A
// pair that cannot be read completely is refused with nothing written.
// True when the map was written.
bool InjectMetadataPair(const CString& metaFileName, int32_t tagIndex, bool correct, const MessageSink& tell);

// Message texts.
extern const char* const kMetadataSavedMessage;
extern const char* const kInjectTooLargeMessage;
extern const char* const kInjectUncorrectedDoneMessage;
extern const char* const kInjectCorrectedDoneMessage;

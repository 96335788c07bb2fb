// A file replaced whole: it is written to a temporary beside the target,
// made durable, and only then renamed over the target, so that a failure
// at any step leaves the older file as it was.
#pragma once

#include "platform/CString.h"
#include "platform/FileStream.h"

#include <initializer_list>
#include <string>

class CFileReplacement {
public:
    enum class Failure {
        None,
        Folder,   // the target is a folder
        HeldOpen, // the target is a file the editor holds open (HeldFileName)
        Create,   // the temporary could not be made or opened
        Write,    // writing, syncing or closing the temporary failed
        Replace,  // the rename over the target failed
    };

    CFileReplacement() = default;
    // Removes the temporary unless it replaced the target.
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Opens the stream (mode must write) on a new temporary in the target's
    // folder, with the target's permissions when it exists. A target that
    // is a device or a pipe is opened itself and written in place.
    bool Begin(CFileStream& stream, const CString& target, unsigned mode);
    // Makes the stream's file durable and closes it; false when the stream
    // failed a write or the sync or the close failed.
    bool Finish();
    // Closes the stream when open and removes the temporary.
    void Discard();

    Failure LastFailure() const { return m_failure; }
    const CString& Target() const { return m_target; }
    const CString& HeldFileName() const { return m_heldName; }
    const std::string& ErrorText() const { return m_errorText; }
    const std::string& TemporaryPath() const { return m_temporary; }

private:
    friend CFileReplacement* CommitReplacements(std::initializer_list<CFileReplacement*> replacements);
    bool Fail(Failure failure, std::string text = {});

    CFileStream* m_stream = nullptr;
    CString m_target;
    CString m_heldName;
    std::string m_temporary;
    std::string m_renameTo; // the target, or the file a link target names
    std::string m_errorText;
    Failure m_failure = Failure::None;
    bool m_finished = false;
    bool m_direct = false; // a device or pipe, written in place
};

// Renames each finished temporary over its target, in order, then makes the
// renames durable. When one cannot be replaced, the targets replaced before
// it get their older files back, every temporary is removed and nothing
// else changes: the failed one is returned (its LastFailure says why);
// nullptr when all were replaced.
CFileReplacement* CommitReplacements(std::initializer_list<CFileReplacement*> replacements);

// The user's text when a write is refused because the file is held open:
// "The file 'name' is open in the editor as 'held'."
CString HeldOpenText(const CString& name, const CString& heldName);

#include "platform/FileReplacement.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
struct PathParts {
    std::string folder; // "." when the name has none
    std::string base;
};

PathParts SplitPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// A unique, hidden name beside the target, reserved by creating it.
int MakeTemporaryBeside(const std::string& target, const char* tag, std::string& path)
{
    const PathParts parts = SplitPath(target);
    // Kept well under the longest name a folder takes.
    path = parts.folder + "/." + parts.base.substr(0, 200) + tag + "XXXXXX";
    return ::mkstemp(path.data());
}

void SyncFolder(const std::string& target)
{
    const int fd = ::open(SplitPath(target).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

CFileReplacement::~CFileReplacement() { Discard(); }

bool CFileReplacement::Fail(Failure failure, std::string text)
{
    m_failure = failure;
    m_errorText = std::move(text);
    return false;
}

bool CFileReplacement::Begin(CFileStream& stream, const CString& target, unsigned mode)
{
    Discard();
    m_target = target;
    m_heldName.Empty();
    m_failure = Failure::None;
    m_errorText.clear();
    m_finished = false;
    m_renameTo.clear();
    const std::string& path = target.Bytes();
    if (path.empty() || path.find('\0') != std::string::npos) return Fail(Failure::Create, "no file name");

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Fail(Failure::Folder);
    if (CFileStream::IsHeldOpen(target, &m_heldName)) return Fail(Failure::HeldOpen);
    // A device or a pipe is written, never replaced by a file.
    if (exists && !S_ISREG(st.st_mode)) {
        if (!stream.Open(target, mode | CFileStream::modeWrite)) {
            if (stream.LastOpenFailure() == CFileStream::OpenFailure::HeldOpen) {
                m_heldName = stream.HeldFileName();
                return Fail(Failure::HeldOpen);
            }
            return Fail(Failure::Create, stream.LastOpenErrorText());
        }
        m_stream = &stream;
        m_direct = true;
        return true;
    }
    // Through a link the file it names is replaced, the link kept.
    m_renameTo = path;
    struct stat link {};
    if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            m_renameTo = resolved;
            std::free(resolved);
        }
    }

    std::string temporary;
    const int fd = MakeTemporaryBeside(m_renameTo, ".", temporary);
    if (fd < 0) return Fail(Failure::Create, std::strerror(errno));
    mode_t permissions;
    if (exists) {
        permissions = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    ::fchmod(fd, permissions);
    ::close(fd);
    m_temporary = temporary;
    if (!stream.Open(CString(temporary), mode | CFileStream::modeWrite | CFileStream::modeTruncate)) {
        std::string text = stream.LastOpenErrorText();
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        return Fail(Failure::Create, text);
    }
    m_stream = &stream;
    return true;
}

bool CFileReplacement::Finish()
{
    if (m_stream == nullptr || (m_temporary.empty() && !m_direct)) return Fail(Failure::Write, "not begun");
    const bool written = m_stream->IsOpen() && !m_stream->Fail();
    const int syncError = written && m_stream->Sync() ? 0 : errno;
    const bool synced = written && syncError == 0;
    const bool closed = m_stream->Close() && !m_stream->IsOpen();
    m_stream = nullptr;
    if (!written) return Fail(Failure::Write);
    if (!synced) return Fail(Failure::Write, std::strerror(syncError));
    if (!closed) return Fail(Failure::Write, "the file could not be closed");
    m_finished = true;
    return true;
}

void CFileReplacement::Discard()
{
    // The stream may be in use for another file by now: only the
    // temporary's own stream is closed.
    if (m_stream != nullptr && m_stream->IsOpen()) m_stream->Close();
    m_stream = nullptr;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
    m_finished = false;
    m_direct = false;
}

namespace {
CFileReplacement* Abandon(std::initializer_list<CFileReplacement*> replacements, CFileReplacement* failed)
{
    for (CFileReplacement* replacement : replacements) replacement->Discard();
    return failed;
}
} // namespace

CFileReplacement* CommitReplacements(std::initializer_list<CFileReplacement*> replacements)
{
    for (CFileReplacement* replacement : replacements) {
        if (!replacement->m_finished) {
            replacement->Fail(CFileReplacement::Failure::Write, "not complete");
            return Abandon(replacements, replacement);
        }
        // Held since Begin: a map opened meanwhile under the target's name.
        if (CFileStream::IsHeldOpen(replacement->m_target, &replacement->m_heldName)) {
            replacement->Fail(CFileReplacement::Failure::HeldOpen);
            return Abandon(replacements, replacement);
        }
    }
    // Each older file is kept under a second name until every rename is
    // done, so that a failed one can put the earlier ones back.
    struct Done {
        CFileReplacement* replacement;
        std::string backup; // empty when there was no older file, or no copy of it was kept
        bool existed;
    };
    std::vector<Done> done;
    auto undo = [&done] {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            const std::string& target = it->replacement->m_renameTo;
            if (!it->backup.empty()) ::rename(it->backup.c_str(), target.c_str());
            else if (!it->existed) ::unlink(target.c_str());
        }
    };
    for (CFileReplacement* replacement : replacements) {
        if (replacement->m_direct) continue; // written in place
        const std::string& target = replacement->m_renameTo;
        struct stat st {};
        Done step {replacement, {}, ::lstat(target.c_str(), &st) == 0};
        bool movedAside = false;
        if (step.existed) {
            const int fd = MakeTemporaryBeside(target, ".old.", step.backup);
            bool kept = false;
            if (fd >= 0) {
                ::close(fd);
                ::unlink(step.backup.c_str());
                kept = !CFileStream::LinkFails(target) && ::link(target.c_str(), step.backup.c_str()) == 0;
                // A file system without hard links: the older file is moved
                // aside instead, and moved back should the rename fail.
                if (!kept && S_ISREG(st.st_mode) && ::rename(target.c_str(), step.backup.c_str()) == 0)
                    kept = movedAside = true;
            }
            if (!kept) {
                step.backup.clear();
                // Without a copy of the older file a later failure could not
                // put it back: a pair would be left half new.
                if (S_ISREG(st.st_mode) && replacement != *(replacements.end() - 1)) {
                    undo();
                    replacement->Fail(CFileReplacement::Failure::Replace, "no copy of the older file could be kept");
                    return Abandon(replacements, replacement);
                }
            }
        }
        if (::rename(replacement->m_temporary.c_str(), target.c_str()) != 0) {
            const int error = errno;
            if (movedAside) ::rename(step.backup.c_str(), target.c_str());
            else if (!step.backup.empty()) ::unlink(step.backup.c_str());
            undo();
            replacement->Fail(CFileReplacement::Failure::Replace, std::strerror(error));
            return Abandon(replacements, replacement);
        }
        replacement->m_temporary.clear();
        replacement->m_finished = false;
        done.push_back(std::move(step));
    }
    for (const Done& step : done) {
        if (!step.backup.empty()) ::unlink(step.backup.c_str());
        SyncFolder(step.replacement->m_renameTo);
    }
    return nullptr;
}

CString HeldOpenText(const CString& name, const CString& heldName)
{
    return "The file '" + name + "' is open in the editor as '" + heldName + "'.";
}

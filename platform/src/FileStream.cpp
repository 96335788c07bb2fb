#include "platform/FileStream.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int64_t kCacheSize = 64 * 1024;

// The armed fault and what it has let through so far.
struct ArmedFault {
    CFileStream::Fault plan;
    int64_t bytesLeft = 0;
    int callsLeft = 0;
};
ArmedFault g_fault;

bool FaultNameMatches(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base == g_fault.plan.fileName) return true;
    // The hidden temporary that is written to replace the file counts as
    // the file: ".<name>.XXXXXX".
    const std::string temporary = "." + g_fault.plan.fileName + ".";
    return base.size() == temporary.size() + 6 && base.compare(0, temporary.size(), temporary) == 0;
}

bool FaultMatches(CFileStream::Fault::Op op, int fd)
{
    if (g_fault.plan.op != op) return false;
    if (g_fault.plan.fileName.empty()) return true;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    std::string path(target, static_cast<size_t>(n));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.resize(path.size() - deleted.size());
    return FaultNameMatches(path);
}

// How many of count bytes a read or write may move: count when no fault
// matches (matched false); -1 (errno set) when the call fails outright.
ssize_t FaultLimit(CFileStream::Fault::Op op, int fd, size_t count, bool& matched)
{
    matched = FaultMatches(op, fd);
    if (!matched) return static_cast<ssize_t>(count);
    if (g_fault.bytesLeft <= 0 && count > 0) {
        errno = g_fault.plan.error;
        return -1;
    }
    return static_cast<ssize_t>(std::min<int64_t>(g_fault.bytesLeft, static_cast<int64_t>(count)));
}

// A call the fault let through uses up only the bytes it really moved.
ssize_t Counted(bool matched, ssize_t moved)
{
    if (matched && moved > 0) g_fault.bytesLeft -= moved;
    return moved;
}

ssize_t SystemRead(int fd, char* buffer, size_t count, int64_t position)
{
    bool matched = false;
    const ssize_t allowed = FaultLimit(CFileStream::Fault::Op::Read, fd, count, matched);
    if (allowed < 0) return -1;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, static_cast<size_t>(allowed), position);
        if (got >= 0 || errno != EINTR) return Counted(matched, got);
    }
}

ssize_t SystemWrite(int fd, const char* bytes, size_t count, int64_t position)
{
    bool matched = false;
    const ssize_t allowed = FaultLimit(CFileStream::Fault::Op::Write, fd, count, matched);
    if (allowed < 0) return -1;
    for (;;) {
        const ssize_t put = ::pwrite(fd, bytes, static_cast<size_t>(allowed), position);
        if (put >= 0 || errno != EINTR) return Counted(matched, put);
    }
}

// True when a sync or close that matches the fault is to fail.
bool CallFails(CFileStream::Fault::Op op, int fd)
{
    if (!FaultMatches(op, fd)) return false;
    if (g_fault.callsLeft > 0) {
        --g_fault.callsLeft;
        return false;
    }
    errno = g_fault.plan.error;
    return true;
}

bool IsWhite(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Every stream alive, open or not; a handful at any time. Never destroyed,
// so streams with static storage may go in any order.
std::vector<const CFileStream*>& Streams()
{
    static auto* streams = new std::vector<const CFileStream*>();
    return *streams;
}
} // namespace

CFileStream::CFileStream() { Streams().push_back(this); }

CFileStream::~CFileStream()
{
    Close();
    auto& streams = Streams();
    streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
}

const CFileStream* CFileStream::FindHolder(dev_t device, ino_t inode, const CFileStream* except)
{
    for (const CFileStream* stream : Streams())
        if (stream != except && stream->m_fd >= 0 && stream->m_device == device && stream->m_inode == inode)
            return stream;
    return nullptr;
}

bool CFileStream::IsHeldOpen(const CString& name, CString* heldName)
{
    const std::string& path = name.Bytes();
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0) return false;
    const CFileStream* holder = FindHolder(st.st_dev, st.st_ino, nullptr);
    if (holder && heldName) *heldName = holder->m_name;
    return holder != nullptr;
}

bool CFileStream::Open(const CString& name, unsigned mode)
{
    Close();
    int flags = 0;
    bool read = mode & modeRead, write = mode & modeWrite;
    if (read && write) flags = O_RDWR;
    else if (write) flags = O_WRONLY;
    else flags = O_RDONLY;
    if (write && !(mode & modeNoCreate)) flags |= O_CREAT;
    // Truncation waits until the file opened is known not to be held.
    const bool truncate = write && (mode & modeTruncate);
    m_openFailure = OpenFailure::None;
    m_openErrorText.clear();
    m_heldName.Empty();
    const std::string& path = name.Bytes();
    if (path.empty() || path.find('\0') != std::string::npos) {
        m_openFailure = OpenFailure::Missing;
        return false;
    }
    // What is there is looked at before it is opened. A stream that reads
    // takes regular files only: a pipe or a device would block a read or
    // never end, and opening a device may act on it. Writing alone may go
    // to a device (the null device, say).
    auto refused = [read](const struct stat& st) {
        return S_ISDIR(st.st_mode) || (read && !S_ISREG(st.st_mode));
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && refused(st)) {
        m_openFailure = S_ISDIR(st.st_mode) ? OpenFailure::Folder : OpenFailure::NotRegularFile;
        return false;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        const int error = errno;
        m_openErrorText = std::strerror(error);
        switch (error) {
        case ENOENT:
        case ENOTDIR: m_openFailure = OpenFailure::Missing; break;
        case EACCES:
        case EPERM:
            m_openFailure = write && ::access(path.c_str(), R_OK) == 0 ? OpenFailure::ReadOnly : OpenFailure::NoPermission;
            break;
        case EROFS: m_openFailure = OpenFailure::ReadOnlyFileSystem; break;
        case EISDIR: m_openFailure = OpenFailure::Folder; break;
        default: m_openFailure = OpenFailure::Other; break;
        }
        return false;
    }
    // The same test on what was opened, in case it changed in between.
    if (::fstat(fd, &st) != 0 || refused(st)) {
        m_openFailure = S_ISDIR(st.st_mode) ? OpenFailure::Folder : OpenFailure::NotRegularFile;
        ::close(fd);
        return false;
    }
    if (write) {
        if (const CFileStream* holder = FindHolder(st.st_dev, st.st_ino, this);
            holder != nullptr && (truncate || holder->m_exclusive)) {
            m_openFailure = OpenFailure::HeldOpen;
            m_heldName = holder->m_name;
            ::close(fd);
            return false;
        }
    }
    if (truncate && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        m_openFailure = OpenFailure::Other;
        m_openErrorText = std::strerror(errno);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_exclusive = truncate;
    m_name = name;
    m_binary = mode & modeBinary;
    m_canRead = read;
    m_canWrite = write;
    m_eof = m_fail = false;
    m_readPos = m_writePos = 0;
    m_lastRead = 0;
    m_precision = 6;
    m_cacheStart = -1;
    m_cache.clear();
    return true;
}

bool CFileStream::LinkFails(const std::string& target)
{
    if (g_fault.plan.op != Fault::Op::Link) return false;
    if (!g_fault.plan.fileName.empty() && !FaultNameMatches(target)) return false;
    errno = g_fault.plan.error;
    return true;
}

void CFileStream::InjectFault(const Fault& fault)
{
    g_fault.plan = fault;
    g_fault.bytesLeft = fault.afterBytes;
    g_fault.callsLeft = fault.afterCalls;
}

void CFileStream::ClearFault() { g_fault = ArmedFault(); }

int64_t CFileStream::FaultPassed()
{
    using Op = Fault::Op;
    const Op op = g_fault.plan.op;
    if (op == Op::Read || op == Op::Write) return g_fault.plan.afterBytes - g_fault.bytesLeft;
    if (op == Op::Sync || op == Op::Close) return g_fault.plan.afterCalls - g_fault.callsLeft;
    return 0;
}

bool CFileStream::Close()
{
    if (m_fd < 0) return true;
    const bool injected = CallFails(Fault::Op::Close, m_fd);
    // The descriptor is released by close() on Linux whatever it returns,
    // so it is never closed twice; EINTR may still have lost written data.
    const bool closed = ::close(m_fd) == 0 && !injected;
    m_fd = -1;
    m_readError = false;
    m_cacheStart = -1;
    m_cache.clear();
    return closed;
}

bool CFileStream::Sync()
{
    if (m_fd < 0) return false;
    if (CallFails(Fault::Op::Sync, m_fd)) return false;
    for (;;) {
        if (::fdatasync(m_fd) == 0) return true;
        // A device that keeps nothing (the null device) has nothing to push.
        if (errno == EINVAL || errno == EROFS) return true;
        if (errno != EINTR) return false;
    }
}

void CFileStream::NoteReadError()
{
    m_readError = true;
    m_fail = true;
    ++m_readErrorCount;
}

void CFileStream::SeekRead(int64_t position)
{
    m_readPos = position < 0 ? 0 : position;
    m_eof = m_fail = m_readError = false;
}

void CFileStream::SeekWrite(int64_t position)
{
    m_writePos = position < 0 ? 0 : position;
    m_eof = m_fail = m_readError = false;
}

int64_t CFileStream::FileSize() const
{
    if (m_fd < 0) return 0;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return 0;
    return st.st_size;
}

bool CFileStream::IsSameFile(const CString& name) const
{
    const std::string& path = name.Bytes();
    if (m_fd < 0 || path.empty() || path.find('\0') != std::string::npos) return false;
    struct stat mine {}, other {};
    if (::fstat(m_fd, &mine) != 0 || ::stat(path.c_str(), &other) != 0) return false;
    return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

void CFileStream::FillCache(int64_t position)
{
    m_cache.resize(kCacheSize);
    const ssize_t got = SystemRead(m_fd, m_cache.data(), kCacheSize, position);
    if (got < 0) NoteReadError();
    m_cache.resize(got > 0 ? static_cast<size_t>(got) : 0);
    m_cacheStart = position;
}

int CFileStream::RawByteAt(int64_t position)
{
    if (m_cacheStart < 0 || position < m_cacheStart ||
        position >= m_cacheStart + static_cast<int64_t>(m_cache.size())) {
        FillCache(position);
        if (m_cache.empty()) return -1;
    }
    return static_cast<unsigned char>(m_cache[static_cast<size_t>(position - m_cacheStart)]);
}

int CFileStream::PeekChar()
{
    if (m_fd < 0 || !m_canRead || m_fail) return -1;
    int c = RawByteAt(m_readPos);
    if (c == '\r' && !m_binary && RawByteAt(m_readPos + 1) == '\n') return '\n';
    return c;
}

int CFileStream::GetChar()
{
    if (m_fd < 0 || !m_canRead || m_fail) return -1;
    int c = RawByteAt(m_readPos);
    if (c < 0) {
        // An error is not the end of the file: the failure state alone
        // (set when the read was refused) stops the reader.
        if (!m_readError) m_eof = true;
        return -1;
    }
    ++m_readPos;
    if (c == '\r' && !m_binary && RawByteAt(m_readPos) == '\n') {
        ++m_readPos;
        return '\n';
    }
    return c;
}

int64_t CFileStream::Read(char* buffer, int64_t count)
{
    m_lastRead = 0;
    if (count <= 0) return 0;
    if (m_fd < 0 || !m_canRead || m_fail) {
        m_fail = true;
        return 0;
    }
    if (m_binary) {
        int64_t done = 0;
        while (done < count) {
            const ssize_t got = SystemRead(m_fd, buffer + done, static_cast<size_t>(count - done), m_readPos + done);
            if (got < 0) NoteReadError();
            if (got <= 0) break;
            done += got;
        }
        m_readPos += done;
        m_lastRead = done;
    } else {
        int64_t done = 0;
        while (done < count) {
            int c = GetChar();
            if (c < 0) break;
            buffer[done++] = static_cast<char>(c);
        }
        m_lastRead = done;
    }
    if (m_lastRead < count) {
        m_fail = true;
        if (!m_readError) m_eof = true;
    }
    return m_lastRead;
}

int64_t CFileStream::Read(std::string& out, int64_t count)
{
    out.assign(count > 0 ? static_cast<size_t>(count) : 0, '\0');
    int64_t got = Read(out.data(), count);
    out.resize(static_cast<size_t>(got));
    return got;
}

bool CFileStream::Write(const char* bytes, int64_t count)
{
    if (count <= 0) return true;
    if (m_fd < 0 || !m_canWrite) {
        m_fail = true;
        return false;
    }
    std::string translated;
    if (!m_binary && std::memchr(bytes, '\n', static_cast<size_t>(count))) {
        translated.reserve(static_cast<size_t>(count) + 16);
        for (int64_t i = 0; i < count; ++i) {
            if (bytes[i] == '\n') translated += '\r';
            translated += bytes[i];
        }
        bytes = translated.data();
        count = static_cast<int64_t>(translated.size());
    }
    int64_t done = 0;
    while (done < count) {
        const ssize_t put = SystemWrite(m_fd, bytes + done, static_cast<size_t>(count - done), m_writePos + done);
        if (put <= 0) break;
        done += put;
    }
    // Keep the read cache honest about what is now in the file.
    if (m_cacheStart >= 0 && m_writePos < m_cacheStart + static_cast<int64_t>(m_cache.size()) &&
        m_writePos + done > m_cacheStart)
        m_cacheStart = -1;
    m_writePos += done;
    if (done < count) {
        m_fail = true;
        return false;
    }
    return true;
}

CFileStream& CFileStream::operator<<(const CString& text)
{
    Write(text.Bytes());
    return *this;
}

CFileStream& CFileStream::operator<<(const char* text)
{
    if (text) Write(text, static_cast<int64_t>(std::strlen(text)));
    return *this;
}

CFileStream& CFileStream::operator<<(char ch)
{
    Write(&ch, 1);
    return *this;
}

CFileStream& CFileStream::operator<<(int value) { return *this << static_cast<long long>(value); }
CFileStream& CFileStream::operator<<(long value) { return *this << static_cast<long long>(value); }

CFileStream& CFileStream::operator<<(long long value)
{
    char text[32];
    int n = std::snprintf(text, sizeof text, "%lld", value);
    Write(text, n);
    return *this;
}

CFileStream& CFileStream::operator<<(unsigned value) { return *this << static_cast<unsigned long>(value); }

CFileStream& CFileStream::operator<<(unsigned long value)
{
    char text[32];
    int n = std::snprintf(text, sizeof text, "%lu", value);
    Write(text, n);
    return *this;
}

CFileStream& CFileStream::operator<<(double value)
{
    return *this << FormatGeneralNumber(value, m_precision);
}

bool CFileStream::ReadToken(CString& token)
{
    token.Empty();
    int c;
    do {
        c = GetChar();
    } while (c >= 0 && IsWhite(c));
    if (c < 0) {
        m_fail = true;
        return false;
    }
    std::string& out = token.Bytes();
    for (;;) {
        out += static_cast<char>(c);
        int next = PeekChar();
        if (next < 0) {
            if (!m_readError) m_eof = true;
            break;
        }
        if (IsWhite(next)) break;
        c = GetChar();
    }
    return true;
}

bool CFileStream::ReadField(CString& field, int limit, char delimiter)
{
    field.Empty();
    if (m_fd < 0 || !m_canRead || m_fail || limit <= 0) {
        m_fail = true;
        return false;
    }
    std::string& out = field.Bytes();
    int extracted = 0;
    for (;;) {
        if (static_cast<int>(out.size()) >= limit - 1) {
            // As a line read does: the end of the file is tested before the
            // limit, so a field that just fills the limit at the end is good.
            const int next = PeekChar();
            if (next == static_cast<unsigned char>(delimiter)) {
                GetChar();
                ++extracted;
            } else if (next < 0) {
                if (!m_readError) m_eof = true;
                if (extracted == 0) m_fail = true;
            } else {
                m_fail = true;
            }
            break;
        }
        int c = GetChar();
        if (c < 0) {
            if (extracted == 0) m_fail = true;
            break;
        }
        ++extracted;
        if (c == static_cast<unsigned char>(delimiter)) break;
        out += static_cast<char>(c);
    }
    return !m_fail;
}

CString FormatGeneralNumber(double value, int precision)
{
    // Independent of the process locale: a toolkit may have changed LC_NUMERIC.
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    std::string s = error == std::errc() ? std::string(text, end) : std::string();
    size_t e = s.find('e');
    if (e != std::string::npos) {
        // e+06 -> e+006: at least three exponent digits.
        size_t digits = s.size() - (e + 2);
        if (digits < 3) s.insert(e + 2, 3 - digits, '0');
    }
    return CString(s);
}

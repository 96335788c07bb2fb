// A file stream with separate read and write positions, binary or text
// mode (text mode writes each line feed as CR LF and reads CR LF as one
// line feed), formatted output and token/field input.
#pragma once

#include "platform/CString.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

class CFileStream {
public:
    enum Mode : unsigned {
        modeRead = 1u << 0,
        modeWrite = 1u << 1,
        modeBinary = 1u << 2,
        modeTruncate = 1u << 3,
        modeNoCreate = 1u << 4, // the file must already exist
    };

    // The open modes the editor uses.
    static constexpr unsigned kMapFile = modeRead | modeWrite | modeBinary | modeNoCreate;
    static constexpr unsigned kMapFileReadOnly = modeRead | modeBinary | modeNoCreate;
    static constexpr unsigned kLogFile = modeWrite | modeTruncate;
    static constexpr unsigned kScratchText = modeRead | modeWrite | modeTruncate;
    static constexpr unsigned kDataFile = modeRead | modeWrite;
    static constexpr unsigned kWriteBinaryNew = modeWrite | modeBinary | modeTruncate;
    static constexpr unsigned kReadWriteBinaryCreate = modeRead | modeWrite | modeBinary;

    CFileStream();
    ~CFileStream();
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    // Why the last Open failed.
    enum class OpenFailure {
        None,          // it did not fail
        Missing,       // no such file (or an empty name)
        NoPermission,  // the file may not be opened at all
        ReadOnly,      // it may be read, but the mode writes
        ReadOnlyFileSystem,
        Folder,
        NotRegularFile, // a pipe, a device, a socket: refused before it is opened
        HeldOpen,      // another stream holds the file: see HeldFileName()
        Other,
    };

    // Opens relative to the current directory. A stream already open is
    // closed first. State flags start clear on success. A stream that reads
    // opens regular files only: a pipe or a device would block a read or
    // never end. A folder is never opened.
    // Every open stream holds its file, known by device and inode so that
    // another spelling or a hard link counts: an open for writing is
    // refused (HeldOpen, the file untouched) when it would truncate a file
    // another stream holds, or when the stream holding it was opened
    // truncating (the log, a file being written whole).
    bool Open(const CString& name, unsigned mode);
    bool IsOpen() const { return m_fd >= 0; }
    // The descriptor is released whatever happens; false when the system
    // reported an error, since written bytes may then be lost.
    bool Close();
    // Pushes what was written to the disk (fdatasync): a write counts as
    // done only after this succeeded.
    bool Sync();

    // Absolute seeks. They clear the end-of-file and failure state so that
    // an earlier short read never poisons a later, valid one.
    void SeekRead(int64_t position);
    void SeekWrite(int64_t position);
    int64_t ReadPosition() const { return m_readPos; }
    int64_t WritePosition() const { return m_writePos; }
    int64_t FileSize() const;
    // True when the stream is open on the file that name opens (relative to
    // the current directory), under this name or another link to it.
    bool IsSameFile(const CString& name) const;

    // Reads up to count bytes; returns how many were read (also LastReadCount()).
    // A short read sets end-of-file and failure; a read the system refused
    // (an I/O error) sets failure and ReadError() instead, never end-of-file.
    int64_t Read(char* buffer, int64_t count);
    int64_t Read(std::string& out, int64_t count);
    int64_t LastReadCount() const { return m_lastRead; }
    bool Write(const char* bytes, int64_t count);
    bool Write(const std::string& bytes) { return Write(bytes.data(), static_cast<int64_t>(bytes.size())); }

    CFileStream& operator<<(const CString& text);
    CFileStream& operator<<(const char* text);
    CFileStream& operator<<(char ch);
    CFileStream& operator<<(int value);
    CFileStream& operator<<(long value);
    CFileStream& operator<<(long long value);
    CFileStream& operator<<(unsigned value);
    CFileStream& operator<<(unsigned long value);
    CFileStream& operator<<(float value) { return *this << static_cast<double>(value); }
    CFileStream& operator<<(double value);
    void SetPrecision(int digits) { m_precision = digits; }

    // Skips white space, then takes characters up to the next white space.
    bool ReadToken(CString& token);
    // Takes characters up to the delimiter (consumed, not stored), at most
    // limit - 1 of them. Stopping at the limit before another character
    // than the delimiter, or reading nothing before the end, sets the
    // failure state; reaching the end sets end-of-file.
    bool ReadField(CString& field, int limit, char delimiter = '\n');
    // One character, or -1 at the end.
    int GetChar();
    int PeekChar();

    bool Eof() const { return m_eof; }
    bool Fail() const { return m_fail; }
    // The last read stopped at an error of the file system, not at the end
    // of the file. Cleared with the other states.
    bool ReadError() const { return m_readError; }
    // Reads refused by the system over the stream's life: an operation
    // compares it before and after its reads, however many seeks lie between.
    int64_t ReadErrorCount() const { return m_readErrorCount; }
    bool Good() const { return IsOpen() && !m_eof && !m_fail; }
    OpenFailure LastOpenFailure() const { return m_openFailure; }
    // The system's text for the error of the last failed Open, for the
    // failures that have no kind of their own.
    const std::string& LastOpenErrorText() const { return m_openErrorText; }
    void Clear() { m_eof = m_fail = m_readError = false; }

    // A test seam: the system calls of every stream on a file whose name
    // (the last part of its path) matches fail as a failing file system
    // would. Reads and writes go through for afterBytes bytes in all, then
    // a call is cut short and the next ones fail; syncs and closes succeed
    // afterCalls times, then fail. An empty fileName matches every file;
    // the hidden temporary written to replace a file counts as that file.
    struct Fault {
        enum class Op { None, Read, Write, Sync, Close, Link };
        Op op = Op::None;
        std::string fileName;
        int64_t afterBytes = 0;
        int afterCalls = 0;
        int error = 5; // EIO
    };
    static void InjectFault(const Fault& fault);
    // True (errno set) when the armed fault makes a hard link to the file
    // fail, as on a file system without hard links.
    static bool LinkFails(const std::string& target);
    static void ClearFault();
    // The bytes (reads, writes) or calls (syncs, closes) of matching files
    // the armed fault let through so far: a fault armed far off counts them.
    static int64_t FaultPassed();

    // After a HeldOpen failure: the name the holding stream was opened by.
    const CString& HeldFileName() const { return m_heldName; }

    // The name of the open stream that holds the file the name opens
    // (relative to the current directory), if any.
    static bool IsHeldOpen(const CString& name, CString* heldName = nullptr);

private:
    int RawByteAt(int64_t position);
    void FillCache(int64_t position);
    void NoteReadError();

    // The open stream other than `except` on that file, if any.
    static const CFileStream* FindHolder(dev_t device, ino_t inode, const CFileStream* except);

    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_exclusive = false; // opened truncating: no other stream writes it
    CString m_name;
    CString m_heldName;
    bool m_binary = true;
    bool m_canRead = false;
    bool m_canWrite = false;
    bool m_eof = false;
    bool m_fail = false;
    bool m_readError = false;
    int64_t m_readErrorCount = 0;
    int m_precision = 6;
    OpenFailure m_openFailure = OpenFailure::None;
    std::string m_openErrorText;
    int64_t m_readPos = 0;
    int64_t m_writePos = 0;
    int64_t m_lastRead = 0;
    std::string m_cache;
    int64_t m_cacheStart = -1;
};

// The "%.<precision>g" form with at least three exponent digits
// ('1.23457e+006'), as the stream writes floats.
CString FormatGeneralNumber(double value, int precision = 6);

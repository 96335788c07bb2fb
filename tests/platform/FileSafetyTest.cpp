// The editor never truncates or replaces a file it holds open, whatever
// name reaches it; files replaced whole keep their older version until the
// new one is complete on disk.
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "platform/FileReplacement.h"
#include "platform/FileStream.h"
#include "platform/ScratchFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>
#include <vector>

namespace {
using namespace travik::test;

// Awkward bytes: 0x78, zeros, 0xFF.
const std::string kMapBytes("head\x78\0\0\x78\xFFtail", 13);

class FileSafetyTest : public WorkDirTest {
protected:
    // Files in the working directory whose names start with a dot: the
    // temporaries a replacement leaves behind if it fails to clean up.
    std::vector<std::string> HiddenFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir()))
            if (entry.path().filename().string()[0] == '.') names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(FileSafetyTest, ATruncatingOpenOfAHeldFileIsRefusedUnderEveryName)
{
    WriteFileBytes(PathOf("m.map"), kMapBytes);
    std::filesystem::create_directory(PathOf("sub"));
    std::filesystem::create_hard_link(PathOf("m.map"), PathOf("link.dat"));
    std::filesystem::create_symlink(PathOf("m.map"), PathOf("sym.dat"));
    ASSERT_TRUE(g_MapFile.Open("m.map", CFileStream::kMapFile));
    for (const char* name : {"m.map", "./m.map", "sub/../m.map", "link.dat", "sym.dat"}) {
        SCOPED_TRACE(name);
        CFileStream writer;
        for (unsigned mode : {CFileStream::kScratchText, CFileStream::kWriteBinaryNew, CFileStream::kLogFile}) {
            EXPECT_FALSE(writer.Open(name, mode));
            EXPECT_EQ(writer.LastOpenFailure(), CFileStream::OpenFailure::HeldOpen);
            EXPECT_EQ(writer.HeldFileName(), "m.map");
        }
        CString held;
        EXPECT_TRUE(CFileStream::IsHeldOpen(name, &held));
        EXPECT_EQ(held, "m.map");
    }
    EXPECT_EQ(ReadFileBytes(PathOf("m.map")), kMapBytes);
    // Opens that keep the bytes may share it: the second map may be the map.
    CFileStream second;
    EXPECT_TRUE(second.Open("link.dat", CFileStream::kMapFile));
    second.Close();
    // Once closed, the file is the user's again.
    g_MapFile.Close();
    CFileStream writer;
    EXPECT_TRUE(writer.Open("link.dat", CFileStream::kWriteBinaryNew));
    EXPECT_EQ(ReadFileBytes(PathOf("m.map")), "");
}

// The log is written at its own position: a map that is the log would be
// overwritten by the next entry, so neither may be opened over the other.
TEST_F(FileSafetyTest, TheLogAndAMapNeverShareAFile)
{
    OpenTestLog();
    LogEntry("\tfirst\n");
    const std::string log = ReadFileBytes(PathOf("Log.txt"));
    std::filesystem::create_hard_link(PathOf("Log.txt"), PathOf("log.map"));
    for (const char* name : {"Log.txt", "log.map"}) {
        g_strMapFileName = name;
        OpenMapFile();
        EXPECT_FALSE(g_MapFile.IsOpen());
        EXPECT_EQ(MapOpenFailureMessage(name, g_MapFile),
                  CString("The map '") + name + "' could not be opened: it is open in the editor as 'Log.txt'.");
    }
    CloseAndReadLog();
    EXPECT_EQ(ReadFileBytes(PathOf("Log.txt")).substr(0, log.size()), log);

    // The other way round: a map open as "Log.txt" is never truncated.
    WriteFileBytes(PathOf("Log.txt"), kMapBytes);
    ASSERT_TRUE(g_MapFile.Open("./Log.txt", CFileStream::kMapFile));
    EXPECT_FALSE(g_LogFile.Open("Log.txt", CFileStream::kLogFile));
    EXPECT_EQ(ReadFileBytes(PathOf("Log.txt")), kMapBytes);
}

TEST_F(FileSafetyTest, TheScratchFolderIsPrivateAndApartFromTheMaps)
{
    const std::filesystem::path file(ScratchFilePath("Temp.data").Bytes());
    const std::filesystem::path folder = file.parent_path();
    EXPECT_EQ(file.filename(), "Temp.data");
    EXPECT_NE(folder, Dir());
    EXPECT_EQ(folder.parent_path(), std::filesystem::temp_directory_path());
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ScratchFilePath("temp.txt").Bytes(), (folder / "temp.txt").string());
    WriteFileBytes(file, "x");
    RemoveScratchFolder();
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_NE(std::filesystem::path(ScratchFilePath("Temp.data").Bytes()).parent_path(), folder);
}

TEST_F(FileSafetyTest, AReplacementTakesThePlaceOfTheOlderFileOnlyWhenComplete)
{
    WriteFileBytes(PathOf("a"), "older a");
    ::chmod(PathOf("a").c_str(), 0640);
    CFileStream stream;
    CFileReplacement a;
    ASSERT_TRUE(a.Begin(stream, "a", CFileStream::kWriteBinaryNew));
    ASSERT_TRUE(stream.Write("new a"));
    EXPECT_EQ(ReadFileBytes(PathOf("a")), "older a");
    ASSERT_TRUE(a.Finish());
    EXPECT_EQ(ReadFileBytes(PathOf("a")), "older a");
    EXPECT_EQ(CommitReplacements({&a}), nullptr);
    EXPECT_EQ(ReadFileBytes(PathOf("a")), "new a");
    struct stat st {};
    ::stat(PathOf("a").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(HiddenFiles().empty());

    // Given up before the commit: the older file stays, no temporary.
    {
        CFileReplacement dropped;
        ASSERT_TRUE(dropped.Begin(stream, "a", CFileStream::kWriteBinaryNew));
        stream.Write("lost");
    }
    EXPECT_EQ(ReadFileBytes(PathOf("a")), "new a");
    EXPECT_TRUE(HiddenFiles().empty());

    // Through a symbolic link the file it names is replaced, the link kept.
    std::filesystem::create_symlink("a", PathOf("l"));
    CFileReplacement viaLink;
    ASSERT_TRUE(viaLink.Begin(stream, "l", CFileStream::kWriteBinaryNew));
    stream.Write("via link");
    ASSERT_TRUE(viaLink.Finish());
    EXPECT_EQ(CommitReplacements({&viaLink}), nullptr);
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("l")));
    EXPECT_EQ(ReadFileBytes(PathOf("a")), "via link");
}

// Two files replaced together: when the second cannot take its place, the
// first gets its older file back.
TEST_F(FileSafetyTest, AFailedSecondRenamePutsTheFirstFileBack)
{
    WriteFileBytes(PathOf("p"), "older p");
    CFileStream one, two;
    CFileReplacement p, q;
    ASSERT_TRUE(p.Begin(one, "p", CFileStream::kWriteBinaryNew));
    ASSERT_TRUE(q.Begin(two, "q", CFileStream::kWriteBinaryNew));
    one.Write("new p");
    two.Write("new q");
    ASSERT_TRUE(p.Finish());
    ASSERT_TRUE(q.Finish());
    // A folder that appears in q's place makes its rename fail.
    std::filesystem::create_directory(PathOf("q"));
    WriteFileBytes(PathOf("q") / "inside", "x");
    EXPECT_EQ(CommitReplacements({&p, &q}), &q);
    EXPECT_EQ(q.LastFailure(), CFileReplacement::Failure::Replace);
    EXPECT_EQ(ReadFileBytes(PathOf("p")), "older p");
    EXPECT_TRUE(HiddenFiles().empty());

    // Where no hard link can be made the older file is moved aside, and
    // moved back when a later rename fails.
    std::filesystem::remove(PathOf("q") / "inside");
    std::filesystem::remove(PathOf("q"));
    CFileReplacement u, v;
    ASSERT_TRUE(u.Begin(one, "p", CFileStream::kWriteBinaryNew));
    ASSERT_TRUE(v.Begin(two, "q", CFileStream::kWriteBinaryNew));
    one.Write("new p");
    ASSERT_TRUE(u.Finish());
    ASSERT_TRUE(v.Finish());
    std::filesystem::create_directory(PathOf("q"));
    WriteFileBytes(PathOf("q") / "inside", "x");
    CFileStream::InjectFault({CFileStream::Fault::Op::Link, "p", 0, 0, EPERM});
    EXPECT_EQ(CommitReplacements({&u, &v}), &v);
    CFileStream::ClearFault();
    EXPECT_EQ(ReadFileBytes(PathOf("p")), "older p");
    EXPECT_TRUE(HiddenFiles().empty());
    // With nothing failing after it, the moved-aside file gives way to the new one.
    std::filesystem::remove(PathOf("q") / "inside");
    std::filesystem::remove(PathOf("q"));
    CFileReplacement w;
    ASSERT_TRUE(w.Begin(one, "p", CFileStream::kWriteBinaryNew));
    one.Write("newer p");
    ASSERT_TRUE(w.Finish());
    CFileStream::InjectFault({CFileStream::Fault::Op::Link, "p", 0, 0, EPERM});
    EXPECT_EQ(CommitReplacements({&w}), nullptr);
    CFileStream::ClearFault();
    EXPECT_EQ(ReadFileBytes(PathOf("p")), "newer p");
    EXPECT_TRUE(HiddenFiles().empty());

    // A file that was not there before is taken away again.
    std::filesystem::remove(PathOf("p"));
    CFileReplacement r, s;
    ASSERT_TRUE(r.Begin(one, "p", CFileStream::kWriteBinaryNew));
    ASSERT_TRUE(s.Begin(two, "r", CFileStream::kWriteBinaryNew));
    ASSERT_TRUE(r.Finish());
    ASSERT_TRUE(s.Finish());
    std::filesystem::create_directory(PathOf("r"));
    WriteFileBytes(PathOf("r") / "inside", "x");
    EXPECT_EQ(CommitReplacements({&r, &s}), &s);
    EXPECT_FALSE(std::filesystem::exists(PathOf("p")));
}

TEST_F(FileSafetyTest, AReplacementRefusesAHeldFileAFolderAndWritesADeviceInPlace)
{
    WriteFileBytes(PathOf("m.map"), kMapBytes);
    std::filesystem::create_hard_link(PathOf("m.map"), PathOf("alias"));
    ASSERT_TRUE(g_MapFile.Open("m.map", CFileStream::kMapFile));
    CFileStream stream;
    CFileReplacement held;
    EXPECT_FALSE(held.Begin(stream, "alias", CFileStream::kWriteBinaryNew));
    EXPECT_EQ(held.LastFailure(), CFileReplacement::Failure::HeldOpen);
    EXPECT_EQ(held.HeldFileName(), "m.map");
    EXPECT_EQ(HeldOpenText("alias", held.HeldFileName()), "The file 'alias' is open in the editor as 'm.map'.");

    // Held by the time of the commit: refused then, the older file kept.
    g_MapFile.Close();
    CFileReplacement late;
    ASSERT_TRUE(late.Begin(stream, "alias", CFileStream::kWriteBinaryNew));
    stream.Write("new");
    ASSERT_TRUE(late.Finish());
    ASSERT_TRUE(g_MapFile.Open("m.map", CFileStream::kMapFile));
    EXPECT_EQ(CommitReplacements({&late}), &late);
    EXPECT_EQ(late.LastFailure(), CFileReplacement::Failure::HeldOpen);
    EXPECT_EQ(ReadFileBytes(PathOf("m.map")), kMapBytes);

    std::filesystem::create_directory(PathOf("dir"));
    CFileReplacement folder;
    EXPECT_FALSE(folder.Begin(stream, "dir", CFileStream::kWriteBinaryNew));
    EXPECT_EQ(folder.LastFailure(), CFileReplacement::Failure::Folder);

    // A device is written, never replaced by a file.
    if (std::filesystem::exists("/dev/full")) {
        CFileReplacement device;
        ASSERT_TRUE(device.Begin(stream, "/dev/full", CFileStream::kWriteBinaryNew));
        EXPECT_FALSE(stream.Write("x"));
        EXPECT_FALSE(device.Finish());
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    }
    EXPECT_TRUE(HiddenFiles().empty());
}

// A file system that fills up: a child process limited to a few bytes a
// file writes the replacement, which fails; the older file stays whole.
TEST_F(FileSafetyTest, AWriteThatRunsOutOfRoomLeavesTheOlderFileWhole)
{
    const std::string older(300, '\x78');
    WriteFileBytes(PathOf("big"), older);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int code = 0;
        {
            CFileStream stream;
            CFileReplacement big;
            if (!big.Begin(stream, "big", CFileStream::kWriteBinaryNew)) code = 2;
            else if (stream.Write(std::string(200, 'n')) || big.Finish()) code = 3;
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(PathOf("big")), older);
    EXPECT_TRUE(HiddenFiles().empty());
}

TEST_F(FileSafetyTest, ALogThatCannotBeWrittenIsReportedOnce)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    static std::vector<std::string> reports;
    reports.clear();
    SetLogFailureReporter([](const CString& text) { reports.push_back(text.Bytes()); });
    ASSERT_TRUE(g_LogFile.Open("/dev/full", CFileStream::kLogFile));
    LogEntry("\tone\n");
    LogEntry("\ttwo\n");
    SetLogFailureReporter(nullptr);
    EXPECT_EQ(reports, std::vector<std::string> {
                           "The log file 'Log.txt' could not be written. The editor goes on without a complete log."});
}

} // namespace

// CFile on real files in a temporary folder: open modes, exclusive opening, errors that name
// the full path, and the safe whole-content replacement.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "platform/files/file.h"
#include "support/files.h"

namespace {
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kvfileXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        chmod(m_dir.c_str(), 0777);  // reachable for the unprivileged child below
    }
    void TearDown() override {
        if (!m_dir.empty()) system(("chmod -R u+w " + m_dir + " && rm -rf " + m_dir).c_str());
    }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    int Entries() const {  // files in the folder, hidden ones included
        int n = 0;
        DIR* dir = opendir(m_dir.c_str());
        while (struct dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            n += name != "." && name != "..";
        }
        closedir(dir);
        return n;
    }
    std::string m_dir;
};

const UINT kStoreMode = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite;

std::string Message(CFileException* e) {
    std::string text = e->GetErrorMessageUtf8();
    e->Delete();
    return text;
}

// Runs body in a child process as an unprivileged user (permission bits do not stop root);
// returns its exit code.
int RunUnprivileged(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}
}  // namespace

TEST_F(FileTest, StoreModeCreatesKeepsAndRewinds) {
    CFile file;
    ASSERT_TRUE(file.Open(Path("cmd.json").c_str(), kStoreMode));
    EXPECT_EQ(file.GetLength(), 0u);
    file.Write("hello world", 11);
    file.Seek(0, CFile::begin);
    char buf[32] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 11u);  // short only at the end
    EXPECT_STREQ(buf, "hello world");
    file.Close();

    ASSERT_TRUE(file.Open(Path("cmd.json").c_str(), kStoreMode));
    EXPECT_EQ(file.GetLength(), 11u);            // kept
    EXPECT_EQ(file.Read(buf, sizeof buf), 11u);  // from the start
    file.Close();

    CFile log(Path("cmd.json").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    EXPECT_EQ(log.GetLength(), 0u);  // emptied
    EXPECT_EQ(log.GetFilePath(), CString(Path("cmd.json").c_str()));
    EXPECT_EQ(log.GetFileName(), "cmd.json");
}

TEST_F(FileTest, RelativeNamesReportTheFullPath) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    mkdir("sub", 0777);
    CFile file;
    BOOL bOpened = file.Open("./sub/../cmd.json", kStoreMode);
    CFileException error;
    BOOL bMissing = file.Open("nothere.txt", CFile::modeRead, &error);
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_FALSE(bMissing);
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_EQ(error.m_strFileName, CString(Path("nothere.txt").c_str()));
    EXPECT_EQ(error.GetErrorMessageUtf8(), u8"找不到 " + Path("nothere.txt") + u8"。");
    ASSERT_TRUE(bOpened);
}

TEST_F(FileTest, FailuresThrowFromTheConstructorWithCause) {
    try {
        CFile file(Path("no/such/dir.txt").c_str(), CFile::modeCreate | CFile::modeReadWrite);
        FAIL() << "opened";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        EXPECT_NE(Message(e).find(Path("no/such/dir.txt")), std::string::npos);
    }
    try {
        CFile file(m_dir.c_str(), CFile::modeRead);  // a folder is no file
        FAIL() << "opened";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::accessDenied);
        EXPECT_EQ(Message(e), u8"拒绝访问 " + m_dir + u8"。");
    }
}

TEST_F(FileTest, OpenedWithoutSharing) {
    WriteBytes(Path("x.txt"), "precious");
    CFile first;
    ASSERT_TRUE(first.Open(Path("x.txt").c_str(), kStoreMode));
    // A second opening, even one that would empty the file, fails and leaves it intact.
    CFileException error;
    CFile second;
    EXPECT_FALSE(
        second.Open(Path("x.txt").c_str(), CFile::modeCreate | CFile::modeReadWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_EQ(error.GetErrorMessageUtf8(), Path("x.txt") + u8" 正被其他程序使用，无法访问。");
    EXPECT_EQ(ReadBytes(Path("x.txt")), "precious");
    first.Close();
    EXPECT_TRUE(second.Open(Path("x.txt").c_str(), kStoreMode));
    second.Close();

    // Another program's flock is respected too.
    int fd = open(Path("x.txt").c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(second.Open(Path("x.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    close(fd);
}

TEST_F(FileTest, ReadOnlyFileAndFolderAreAccessDenied) {
    WriteBytes(Path("ro.json"), "{}");
    chmod(Path("ro.json").c_str(), 0444);
    std::string ro = Path("ro.json");
    int code = RunUnprivileged([&] {
        CFileException error;
        CFile file;
        if (file.Open(ro.c_str(), kStoreMode, &error)) return 1;
        if (error.m_cause != CFileException::accessDenied) return 2;
        if (error.GetErrorMessageUtf8() != u8"拒绝访问 " + ro + u8"。") return 3;
        return 0;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(FileTest, ShortWriteIsDiskFull) {
    CFile full;
    ASSERT_TRUE(full.Open("/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    try {
        full.Write("x", 1);
        FAIL() << "wrote";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::diskFull);
        EXPECT_EQ(e->m_lOsError, ENOSPC);
        EXPECT_EQ(Message(e), u8"磁盘已满，无法写入 /dev/full。");
    }
}

TEST_F(FileTest, ReplaceContentShrinksAndRereads) {
    CFile file(Path("cmd.json").c_str(), kStoreMode);
    std::string longer(5000, 'L');
    file.Write(longer.data(), (UINT)longer.size());
    file.ReplaceContent("short\n", 6);
    EXPECT_EQ(ReadBytes(Path("cmd.json")), "short\n");
    EXPECT_EQ(file.GetLength(), 6u);
    file.Seek(0, CFile::begin);
    char buf[16] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 6u);
    EXPECT_STREQ(buf, "short\n");
    // Still exclusive after the swap, and nothing left over in the folder.
    CFile other;
    EXPECT_FALSE(other.Open(Path("cmd.json").c_str(), kStoreMode));
    EXPECT_EQ(Entries(), 1);
}

TEST_F(FileTest, ReplaceContentKeepsModeAndSymbolicLink) {
    WriteBytes(Path("real.json"), "old");
    chmod(Path("real.json").c_str(), 0640);
    ASSERT_EQ(symlink("real.json", Path("link.json").c_str()), 0);
    CFile file(Path("link.json").c_str(), kStoreMode);
    file.ReplaceContent("new", 3);
    struct stat st;
    ASSERT_EQ(lstat(Path("link.json").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(Path("real.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(Path("real.json")), "new");
}

TEST_F(FileTest, FailedReplacementLeavesTheOldContent) {
    std::string old = "{\n   \"cmd01\" : \"AT\"\n}\n";
    WriteBytes(Path("cmd.json"), old);
    CFile file(Path("cmd.json").c_str(), kStoreMode);
    // A file-size limit makes writes stop part-way, as a full disk does.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string big(100000, 'B');
    CFileException* caught = nullptr;
    try {
        file.ReplaceContent(big.data(), (UINT)big.size());
    } catch (CFileException* e) {
        caught = e;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(caught->m_cause, CFileException::diskFull);
    EXPECT_EQ(Message(caught), u8"磁盘已满，无法写入 " + Path("cmd.json") + u8"。");
    EXPECT_EQ(ReadBytes(Path("cmd.json")), old);
    EXPECT_EQ(Entries(), 1);  // the temporary file is gone
    // The file is still open and usable.
    file.ReplaceContent("ok", 2);
    EXPECT_EQ(ReadBytes(Path("cmd.json")), "ok");
}

TEST_F(FileTest, ReplaceContentInAFolderWithoutWriteAccess) {
    std::string sub = Path("locked");
    mkdir(sub.c_str(), 0777);
    WriteBytes(sub + "/cmd.json", std::string(300, 'x'));
    chmod((sub + "/cmd.json").c_str(), 0666);
    chmod(sub.c_str(), 0555);
    int code = RunUnprivileged([&] {
        try {
            CFile file((sub + "/cmd.json").c_str(), kStoreMode);
            file.ReplaceContent("fits", 4);
            file.SeekToBegin();
            char buf[8] = {};
            return file.Read(buf, sizeof buf) == 4 && std::string(buf) == "fits" ? 0 : 1;
        } catch (CFileException* e) {
            e->Delete();
            return 2;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(sub + "/cmd.json"), "fits");
}

TEST_F(FileTest, OnlyTheUsersOwnSymbolicLinksAreFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "making another user's link needs root";
    WriteBytes(Path("theirs.json"), "victim");
    struct Case {
        const char* link;
        const char* to;
        bool bForeign;
    } cases[] = {
        {"foreign.json", "theirs.json", true},    // would read and replace another's file
        {"dangling.json", "planted.json", true},  // would create a file where they chose
        {"mine.json", "made.json", false},        // the user's own, e.g. a dotfile manager's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        ASSERT_EQ(symlink(c.to, Path(c.link).c_str()), 0);
        if (c.bForeign) {
            ASSERT_EQ(lchown(Path(c.link).c_str(), 65534, 65534), 0);
        }
        CFile file;
        CFileException error;
        BOOL bOpened = file.Open(Path(c.link).c_str(), kStoreMode, &error);
        EXPECT_EQ(bOpened, !c.bForeign);
        if (!bOpened) {
            EXPECT_EQ(error.m_cause, CFileException::accessDenied);
            EXPECT_EQ(error.GetErrorMessageUtf8(), u8"拒绝访问 " + Path(c.link) + u8"。");
            continue;
        }
        file.ReplaceContent("new", 3);
        file.Close();
        struct stat st;
        ASSERT_EQ(lstat(Path(c.link).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(ReadBytes(Path(c.to)), "new");
    }
    EXPECT_EQ(ReadBytes(Path("theirs.json")), "victim");
    EXPECT_NE(access(Path("planted.json").c_str(), F_OK), 0);
}

TEST_F(FileTest, CreatingRefusesWhatIsNotARegularFileWithoutWaiting) {
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0666), 0);
    const struct {
        const char* path;
        UINT nFlags;
    } cases[] = {
        {"fifo", CFile::modeCreate | CFile::modeReadWrite},  // would wait in a write
        {"fifo", CFile::modeCreate | CFile::modeWrite},      // would wait in the open
        {"fifo", kStoreMode},
        {"/dev/null", CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone},
    };
    for (const auto& c : cases) {
        std::string path = c.path[0] == '/' ? c.path : Path(c.path);
        SCOPED_TRACE(path);
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(path.c_str(), c.nFlags, &error));
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
        EXPECT_EQ(error.GetErrorMessageUtf8(), u8"拒绝访问 " + path + u8"。");
    }
    // Without modeCreate a device still opens and takes writes.
    CFile null;
    ASSERT_TRUE(null.Open("/dev/null", CFile::modeWrite | CFile::shareDenyNone));
    null.Write("x", 1);
}

TEST_F(FileTest, NamesAreFileSystemBytesAndShowReadably) {
    // No name here is GBK text: each must open exactly itself, not a '?' in its place; the
    // longest one still leaves room for the sibling that replaces its content.
    WriteBytes(Path("bj?rn.txt"), "other");
    const std::string longest = std::string(250, 'n') + ".txt";  // near the longest name allowed
    for (std::string name : {std::string(u8"björn.txt"), std::string("latin1-\xF6.txt"), longest}) {
        CFile file(Path(name).c_str(), CFile::modeCreate | CFile::modeReadWrite);
        file.ReplaceContent("mine", 4);
        file.Close();
        EXPECT_EQ(ReadBytes(Path(name)), "mine");
        EXPECT_EQ(file.GetFileName(), CString(name.c_str()));
    }
    EXPECT_EQ(ReadBytes(Path("bj?rn.txt")), "other");
    EXPECT_EQ(Entries(), 4);

    CFileException error;
    CFile file;
    EXPECT_FALSE(file.Open(Path("nicht-da-\xF6.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.GetErrorMessageUtf8(), u8"找不到 " + Path(u8"nicht-da-\uFFFD.txt") + u8"。");
}

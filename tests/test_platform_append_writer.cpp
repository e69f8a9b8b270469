// CAppendWriter: bytes reach the file in order without Flush, an existing file is appended
// to, only regular files open, and a failed write (full disk, removed file) ends the writing
// with its errno, never holding the caller up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/files/append_writer.h"
#include "platform/kernel/sync.h"
#include "support/files.h"
#include "support/pty.h"

TEST(AppendWriter, AppendsInOrderAfterWhatTheFileHeld) {
    kvtest::TempDir dir;
    std::string path = dir / "log.txt";
    WriteBytes(path, "old\n");
    CAppendWriter w;
    ASSERT_TRUE(w.Open(path.c_str(), nullptr, 20));
    // Small pieces and pieces larger than a batch, interleaved; nobody calls Flush.
    std::string expect = "old\n";
    for (int i = 0; i < 200; ++i) {
        std::string piece(i % 50 == 0 ? CAppendWriter::kWriteAtOnce + 7 : 13, char('a' + i % 26));
        w.Append(piece.data(), piece.size());
        expect += piece;
    }
    ASSERT_TRUE(w.WaitWritten(10000));
    EXPECT_EQ(w.GetError(), 0);
    EXPECT_EQ(ReadBytes(path), expect);
    w.Close();
    EXPECT_EQ(ReadBytes(path), expect);
}

TEST(AppendWriter, CloseWritesWhatIsPending) {
    kvtest::TempDir dir;
    std::string path = dir / "log.txt";
    CAppendWriter w;
    ASSERT_TRUE(w.Open(path.c_str(), nullptr, 3600 * 1000));
    w.Append("tail", 4);
    w.Close();
    EXPECT_EQ(ReadBytes(path), "tail");
    EXPECT_FALSE(w.IsOpen());
}

TEST(AppendWriter, OpensOnlyRegularFiles) {
    kvtest::TempDir dir;
    mkfifo((dir / "fifo").c_str(), 0600);
    mkdir((dir / "sub").c_str(), 0700);
    for (const char* name : {"fifo", "sub", "missing/log.txt"}) {
        CAppendWriter w;
        CFileException e;
        EXPECT_FALSE(w.Open((dir / name).c_str(), &e)) << name;
        EXPECT_NE(e.m_cause, CFileException::none) << name;
        EXPECT_FALSE(w.IsOpen()) << name;
    }
}

TEST(AppendWriter, AFailedWriteEndsTheWritingOnce) {
    struct Case {
        const char* name;
        bool bFull;  // the disk is full; otherwise the file is removed
        int err;
    };
    for (const Case& c : {Case{"full disk", true, ENOSPC}, Case{"removed", false, ENOENT}}) {
        kvtest::TempDir dir;
        std::string path = dir / "log.txt";
        std::atomic<int> calls{0}, seen{0};
        CAppendWriter w;
        ASSERT_TRUE(w.Open(path.c_str(), nullptr, 20, [&](int err) {
            ++calls;
            seen = err;
        }));
        w.Append("first", 5);
        ASSERT_TRUE(w.WaitWritten(10000)) << c.name;
        EXPECT_EQ(w.GetError(), 0) << c.name;
        if (c.bFull)
            CAppendWriter::SetWriteHook([](const char*, size_t) {
                errno = ENOSPC;
                return false;
            });
        else
            unlink(path.c_str());
        w.Append("second", 6);
        ASSERT_TRUE(w.WaitWritten(10000)) << c.name;
        EXPECT_EQ(w.GetError(), c.err) << c.name;
        // Later bytes are dropped at once; the callback ran once.
        w.Append("third", 5);
        EXPECT_TRUE(w.WaitWritten(0)) << c.name;
        w.Close();
        CAppendWriter::SetWriteHook(nullptr);
        EXPECT_EQ(calls, 1) << c.name;
        EXPECT_EQ(seen, c.err) << c.name;
        if (c.bFull) {
            EXPECT_EQ(ReadBytes(path), "first") << c.name;
        }
    }
}

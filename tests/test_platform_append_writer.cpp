// CAppendWriter: a failed write (full disk, removed file) ends the writing with its errno,
// reported once, and never holds the caller up. (Appending at pace, in order, to a file that
// held bytes: test_datapath_live_log.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/files/append_writer.h"
#include "platform/files/files_hooks.h"
#include "platform/kernel/sync.h"
#include "support/files.h"
#include "support/pty.h"

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
            SetAppendWriteHook([](const char*, size_t) {
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
        SetAppendWriteHook(nullptr);
        EXPECT_EQ(calls, 1) << c.name;
        EXPECT_EQ(seen, c.err) << c.name;
        if (c.bFull) {
            EXPECT_EQ(ReadBytes(path), "first") << c.name;
        }
    }
}

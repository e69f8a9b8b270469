// Fuzzes the cmd.json reader with any bytes: it must never crash, and when it accepts a
// document, the twelve texts it read must survive being written in the stored layout and
// read again unchanged.
#include <cstdint>
#include <cstdlib>

#include "dialog/CmdDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CString cmds[CMD_SLOT_COUNT];
    if (!ParseCommandDocument((const char*)data, size, cmds)) {
        for (const CString& c : cmds)
            if (!c.IsEmpty()) abort();  // a refused document leaves the slots alone
        return 0;
    }
    const BOOL hex[CMD_SLOT_COUNT] = {};
    const std::string doc = WriteCommandDocument(BuildCommandDocument(cmds, hex));
    CString again[CMD_SLOT_COUNT];
    if (!ParseCommandDocument(doc.data(), doc.size(), again)) abort();
    for (int i = 0; i < CMD_SLOT_COUNT; ++i)
        if (again[i] != cmds[i]) abort();
    return 0;
}

#include "dialog/CmdDocument.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <sstream>

namespace {
const char* const g_szDefaultCommands[CMD_SLOT_COUNT] = {
    "AT",         "AT+VERS?",  "AT+NAME?", "AT+NAME=1234",
    "AT+BAUD?",   "AT+BAUD=3", "AT+ADDR?", "AT+RESET",
    "AT+DEFAULT", "",          "",         "",
};

std::string SlotName(const char* prefix, int nSlot) {
    char sz[16];
    snprintf(sz, sizeof sz, "%s%02d", prefix, nSlot);
    return sz;
}

bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// The library writes \u escapes with lowercase digits; the stored layout has them uppercase.
// Every backslash in the output starts an escape (a raw 0x5C, also a GBK trail byte, is
// itself written as \\), so a scan from escape to escape finds exactly the \u ones.
void UppercaseUnicodeEscapes(std::string& doc) {
    for (size_t i = 0; i + 1 < doc.size(); i++) {
        if (doc[i] != '\\') continue;
        if (doc[i + 1] == 'u') {
            for (size_t k = i + 2; k < i + 6 && k < doc.size() && IsHexDigit(doc[k]); k++) {
                if (doc[k] >= 'a' && doc[k] <= 'f') doc[k] = (char)(doc[k] - 'a' + 'A');
            }
        }
        i++;  // the escaped character is not a backslash that starts another escape
    }
}
}  // namespace

std::string CommandMemberName(int nSlot) { return SlotName("cmd", nSlot); }
std::string HexMemberName(int nSlot) { return SlotName("hex", nSlot); }

Json::Value BuildDefaultCommands() {
    Json::Value root(Json::objectValue);
    for (int n = 1; n <= CMD_SLOT_COUNT; n++) {
        root[CommandMemberName(n)] = g_szDefaultCommands[n - 1];
        root[HexMemberName(n)] = false;
    }
    return root;
}

Json::Value BuildCommandDocument(const CString strCmd[CMD_SLOT_COUNT],
                                 const BOOL bCmdHex[CMD_SLOT_COUNT]) {
    Json::Value root(Json::objectValue);
    for (int n = 1; n <= CMD_SLOT_COUNT; n++) {
        root[CommandMemberName(n)] = Json::Value(strCmd[n - 1].GetString());  // up to a 0x00
        root[HexMemberName(n)] = bCmdHex[n - 1] != FALSE;
    }
    return root;
}

std::string WriteCommandDocument(const Json::Value& root) {
    // emitUTF8 passes bytes >= 0x80 through untouched instead of reading them as UTF-8; the
    // styled stream writer otherwise lays an object out as the stored form does, except for
    // the final line feed.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    builder["enableYAMLCompatibility"] = false;
    builder["dropNullPlaceholders"] = false;
    std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    std::ostringstream out;
    writer->write(root, &out);
    std::string doc = out.str();
    UppercaseUnicodeEscapes(doc);
    doc += '\n';
    return doc;
}

bool ParseCommandDocument(const char* doc, size_t len, CString out[CMD_SLOT_COUNT]) {
    const char* pEnd = static_cast<const char*>(memchr(doc, 0, len));
    if (!pEnd) pEnd = doc + len;
    Json::Value root;
    try {
        Json::Reader reader;  // default features: comments allowed, any root value
        if (!reader.parse(doc, pEnd, root, true)) return false;
    } catch (const std::exception&) {  // e.g. nesting deeper than the reader allows
        return false;
    }
    if (!root.isObject()) return false;
    CString texts[CMD_SLOT_COUNT];
    for (int n = 1; n <= CMD_SLOT_COUNT; n++) {
        std::string name = CommandMemberName(n);
        const Json::Value* pMember = root.find(name.data(), name.data() + name.size());
        if (!pMember || pMember->isNull()) continue;
        if (pMember->isString() || pMember->isBool()) {
            std::string text = pMember->asString();
            texts[n - 1] = CString(text.c_str());  // up to its first zero byte
        } else {
            return false;
        }
    }
    for (int n = 0; n < CMD_SLOT_COUNT; n++) out[n] = texts[n];
    return true;
}

// The checksums a script asks for, by name, and the ones send and send_hex append.
#include <cstring>
#include <lua.hpp>

#include "convert/Checksum.h"
#include "script/ScriptEngine.h"

namespace {
const char* const kCheckNames[KV_CHECK_COUNT] = {
    "none", "sum8", "xor8", "crc8", "crc16_modbus", "crc16_ccitt", "crc16_xmodem", "crc32"};
}  // namespace

int ScriptApi::CheckKind(lua_State* L, int idx) {
    const char* name = luaL_checkstring(L, idx);
    for (int k = 0; k < KV_CHECK_COUNT; ++k)
        if (strcmp(name, kCheckNames[k]) == 0) return k;
    return luaL_error(L,
                      "unknown checksum '%s' (sum8, xor8, crc8, crc16_modbus, crc16_ccitt, "
                      "crc16_xmodem, crc32 or none)",
                      name);
}

void ScriptApi::AppendChecksum(std::string& s, int kind, int order) {
    const int width = ChecksumWidth(kind);
    const uint32_t v = ChecksumValue(kind, s.data(), s.size());
    const bool low = ChecksumLowFirst(kind, order);
    for (int i = 0; i < width; ++i) s += (char)(v >> (8 * (low ? i : width - 1 - i)));
}

// checksum(name, bytes): the value, and its bytes in the customary order.
int ScriptApi::Checksum(lua_State* L) {
    int kind = CheckKind(L, 1);
    size_t n = 0;
    const char* s = luaL_checklstring(L, 2, &n);
    const uint32_t v = ChecksumValue(kind, s, n);
    lua_pushinteger(L, (lua_Integer)v);
    char b[4];
    const int width = ChecksumWidth(kind);
    const bool low = ChecksumLowFirst(kind, KV_ORDER_CUSTOMARY);
    for (int i = 0; i < width; ++i) b[i] = (char)(v >> (8 * (low ? i : width - 1 - i)));
    lua_pushlstring(L, b, (size_t)width);
    return 2;
}

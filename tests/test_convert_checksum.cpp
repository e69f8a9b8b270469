// Checksums after a frame: each kind's check value over "123456789" and the bytes it appends
// in each byte order.
#include <gtest/gtest.h>

#include "convert/Checksum.h"

TEST(Checksum, CheckValuesAndTheBytesAppendedInEachOrder) {
    struct {
        int kind;
        uint32_t check;
        const char* customary;  // the appended bytes, in hex
        const char* highFirst;
        const char* lowFirst;
    } cases[] = {
        {KV_CHECK_NONE, 0, "", "", ""},
        {KV_CHECK_SUM8, 0xDD, "DD", "DD", "DD"},
        {KV_CHECK_XOR8, 0x31, "31", "31", "31"},
        {KV_CHECK_CRC8, 0xF4, "F4", "F4", "F4"},
        {KV_CHECK_CRC16_MODBUS, 0x4B37, "374B", "4B37", "374B"},
        {KV_CHECK_CRC16_CCITT, 0x29B1, "29B1", "29B1", "B129"},
        {KV_CHECK_CRC16_XMODEM, 0x31C3, "31C3", "31C3", "C331"},
        {KV_CHECK_CRC32, 0xCBF43926, "2639F4CB", "CBF43926", "2639F4CB"},
    };
    const CString frame = "123456789";
    auto tail = [&](int kind, int order) {
        CString out = AppendChecksum(frame, kind, order);
        EXPECT_EQ(CString(out.GetString(), 9), frame);
        std::string hex;
        char buf[3];
        for (INT_PTR i = 9; i < out.GetLength(); ++i) {
            snprintf(buf, sizeof buf, "%02X", (unsigned char)out[i]);
            hex += buf;
        }
        return hex;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(ChecksumValue(c.kind, "123456789", 9), c.check);
        EXPECT_EQ(tail(c.kind, KV_ORDER_CUSTOMARY), c.customary);
        EXPECT_EQ(tail(c.kind, KV_ORDER_HIGH_FIRST), c.highFirst);
        EXPECT_EQ(tail(c.kind, KV_ORDER_LOW_FIRST), c.lowFirst);
    }
    // A Modbus RTU request, and a frame with a 0x00 in it (the bytes after it count).
    EXPECT_EQ(AppendChecksum(CString("\x01\x03\x00\x00\x00\x0A", 6), KV_CHECK_CRC16_MODBUS,
                             KV_ORDER_CUSTOMARY),
              CString("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
    EXPECT_EQ(ChecksumValue(KV_CHECK_SUM8, "\x00\x80\x80\x01", 4), 0x01u);
}

#include "convert/Checksum.h"

#include <boost/crc.hpp>

namespace {
template <typename Engine>
uint32_t CrcOf(const void* pData, size_t nLength) {
    Engine crc;
    crc.process_bytes(pData, nLength);
    return crc.checksum();
}
}  // namespace

int ChecksumWidth(int nKind) {
    switch (nKind) {
        case KV_CHECK_SUM8:
        case KV_CHECK_XOR8:
        case KV_CHECK_CRC8:
            return 1;
        case KV_CHECK_CRC16_MODBUS:
        case KV_CHECK_CRC16_CCITT:
        case KV_CHECK_CRC16_XMODEM:
            return 2;
        case KV_CHECK_CRC32:
            return 4;
        default:
            return 0;
    }
}

uint32_t ChecksumValue(int nKind, const void* pData, size_t nLength) {
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    switch (nKind) {
        case KV_CHECK_SUM8: {
            unsigned char sum = 0;
            for (size_t i = 0; i < nLength; ++i) sum = (unsigned char)(sum + p[i]);
            return sum;
        }
        case KV_CHECK_XOR8: {
            unsigned char x = 0;
            for (size_t i = 0; i < nLength; ++i) x ^= p[i];
            return x;
        }
        case KV_CHECK_CRC8:
            return CrcOf<boost::crc_optimal<8, 0x07, 0, 0, false, false>>(p, nLength);
        case KV_CHECK_CRC16_MODBUS:
            return CrcOf<boost::crc_optimal<16, 0x8005, 0xFFFF, 0, true, true>>(p, nLength);
        case KV_CHECK_CRC16_CCITT:
            return CrcOf<boost::crc_optimal<16, 0x1021, 0xFFFF, 0, false, false>>(p, nLength);
        case KV_CHECK_CRC16_XMODEM:
            return CrcOf<boost::crc_xmodem_t>(p, nLength);
        case KV_CHECK_CRC32:
            return CrcOf<boost::crc_32_type>(p, nLength);
        default:
            return 0;
    }
}

bool ChecksumLowFirst(int nKind, int nOrder) {
    if (nOrder == KV_ORDER_LOW_FIRST) return true;
    if (nOrder == KV_ORDER_HIGH_FIRST) return false;
    return nKind == KV_CHECK_CRC16_MODBUS || nKind == KV_CHECK_CRC32;
}

CString AppendChecksum(const CString& frame, int nKind, int nOrder) {
    int nWidth = ChecksumWidth(nKind);
    if (nWidth == 0) return frame;
    uint32_t value = ChecksumValue(nKind, frame.GetString(), (size_t)frame.GetLength());
    bool bLowFirst = ChecksumLowFirst(nKind, nOrder);
    CString out = frame;
    for (int i = 0; i < nWidth; ++i) {
        int nShift = 8 * (bLowFirst ? i : nWidth - 1 - i);
        out += (char)((value >> nShift) & 0xFF);
    }
    return out;
}

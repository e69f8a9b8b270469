// Checksums appended to a frame: two one-byte sums and the CRCs serial protocols use, each with
// the byte order it is customarily sent in. Pure computation; no state, no control.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/afx.h"

// The checksum kinds, in the order the settings box lists them.
#define KV_CHECK_NONE 0
#define KV_CHECK_SUM8 1          // the bytes added, modulo 256
#define KV_CHECK_XOR8 2          // the bytes XORed
#define KV_CHECK_CRC8 3          // CRC-8/SMBus: poly 0x07, init 0
#define KV_CHECK_CRC16_MODBUS 4  // poly 0x8005 reflected, init 0xFFFF
#define KV_CHECK_CRC16_CCITT 5   // CRC-16/CCITT-FALSE: poly 0x1021, init 0xFFFF
#define KV_CHECK_CRC16_XMODEM 6  // poly 0x1021, init 0
#define KV_CHECK_CRC32 7         // the zlib/Ethernet CRC-32
#define KV_CHECK_COUNT 8
// The order of a checksum's bytes on the wire.
#define KV_ORDER_CUSTOMARY 0  // as the kind is usually sent (see ChecksumLowFirst)
#define KV_ORDER_HIGH_FIRST 1
#define KV_ORDER_LOW_FIRST 2

// How many bytes a kind appends: 0 (none), 1, 2 or 4.
int ChecksumWidth(int nKind);
// The checksum of the bytes as a number (0 for none or an unknown kind).
uint32_t ChecksumValue(int nKind, const void* pData, size_t nLength);
// Whether the kind's bytes go low byte first in that order. Customarily the reflected CRCs go
// low byte first (MODBUS as its standard says, CRC-32 as PPP, Ethernet and zip send it, which
// makes the CRC over frame and checksum come out at the algorithm's fixed residue); the others
// high byte first, as XMODEM sends its CRC.
bool ChecksumLowFirst(int nKind, int nOrder);
// The frame with its checksum appended (the frame alone for none).
CString AppendChecksum(const CString& frame, int nKind, int nOrder);

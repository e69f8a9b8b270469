// The bytes of cmd.json, the quick-command store: building the document from the twelve
// commands, writing it in the stored layout and reading the commands back.
//
// Layout written: "{", one line per member in byte order of the names ("cmd01".."cmd12",
// then "hex01".."hex12"), each as three spaces, the quoted name, " : " and the value, a comma
// after all but the last, then "}"; every line ends in one LF, the last included; no BOM.
// Command texts are written byte for byte (GBK bytes stay raw); only the JSON escapes are
// applied, \u with four uppercase hex digits. Files from other installations hold exactly
// these bytes, so they must not change.
#pragma once
#include <json/json.h>

#include <cstddef>
#include <string>

#include "platform/afx.h"

#define CMD_SLOT_COUNT 12

// The member names of slot n (1..12): "cmd01".."cmd12" and "hex01".."hex12".
std::string CommandMemberName(int nSlot);
std::string HexMemberName(int nSlot);

// The default command set: the AT commands in slots 1..9, empty slots 10..12, no HEX.
Json::Value BuildDefaultCommands();
// The document for the panel's texts and HEX switches.
Json::Value BuildCommandDocument(const CString strCmd[CMD_SLOT_COUNT],
                                 const BOOL bCmdHex[CMD_SLOT_COUNT]);

// The document's bytes in the stored layout.
std::string WriteCommandDocument(const Json::Value& root);

// Reads the twelve command texts from a document of len bytes (taken up to its first zero
// byte; comments allowed; anything after the first value ignored). A missing or null member
// gives an empty text, true/false give "true"/"false", a text is cut at its first zero byte.
// Returns false, leaving out[] unchanged, for an unusable document: not JSON, a root that is
// not an object, or a cmd member that is a number, an array or an object.
bool ParseCommandDocument(const char* doc, size_t len, CString out[CMD_SLOT_COUNT]);

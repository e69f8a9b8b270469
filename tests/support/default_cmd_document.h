// The default cmd.json, byte for byte, and the slot texts it holds.
#pragma once

inline const char g_szDefaultDocument[] =
    "{\n"
    "   \"cmd01\" : \"AT\",\n"
    "   \"cmd02\" : \"AT+VERS?\",\n"
    "   \"cmd03\" : \"AT+NAME?\",\n"
    "   \"cmd04\" : \"AT+NAME=1234\",\n"
    "   \"cmd05\" : \"AT+BAUD?\",\n"
    "   \"cmd06\" : \"AT+BAUD=3\",\n"
    "   \"cmd07\" : \"AT+ADDR?\",\n"
    "   \"cmd08\" : \"AT+RESET\",\n"
    "   \"cmd09\" : \"AT+DEFAULT\",\n"
    "   \"cmd10\" : \"\",\n"
    "   \"cmd11\" : \"\",\n"
    "   \"cmd12\" : \"\",\n"
    "   \"hex01\" : false,\n"
    "   \"hex02\" : false,\n"
    "   \"hex03\" : false,\n"
    "   \"hex04\" : false,\n"
    "   \"hex05\" : false,\n"
    "   \"hex06\" : false,\n"
    "   \"hex07\" : false,\n"
    "   \"hex08\" : false,\n"
    "   \"hex09\" : false,\n"
    "   \"hex10\" : false,\n"
    "   \"hex11\" : false,\n"
    "   \"hex12\" : false\n"
    "}\n";

inline const char* const g_szDefaultTexts[12] = {
    "AT",         "AT+VERS?",  "AT+NAME?", "AT+NAME=1234",
    "AT+BAUD?",   "AT+BAUD=3", "AT+ADDR?", "AT+RESET",
    "AT+DEFAULT", "",          "",         ""};

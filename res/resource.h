// Resource ids of the program: dialogs, controls, strings, icons and menu commands.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDM_ABOUTBOX 0x0010
#define IDD_SETTINGS 103
#define IDS_SETTINGS 104
#define IDM_SETTINGS 0x0020
#define IDD_FIND 110
#define IDD_AUTO_REPLY 125

#define IDC_RECEIVE_EDIT 1004
#define IDC_OPEN_BUTTON 1014
#define IDC_BAUD_COMBO 1017
#define IDC_DATABITS_COMBO 1019
#define IDC_PARITY_COMBO 1020
#define IDC_STOPBITS_COMBO 1021
#define IDC_FLOWCTRL_COMBO 1022
#define IDC_PORT_COMBO 1024
#define IDC_HISTORY_COMBO 1025
#define IDC_SEND_EDIT 1027
#define IDC_HEX_DISPLAY_CHECK 1032
#define IDC_AUTO_WRAP_CHECK 1033
#define IDC_RX_TIME_CHECK 1034
#define IDC_HEX_SEND_CHECK 1035
#define IDC_TIMED_SEND_CHECK 1036
#define IDC_INTERVAL_EDIT 1043
#define IDC_SAVE_RX_BUTTON 1045
#define IDC_SEND_BUTTON 1046
#define IDC_CLEAR_RX_BUTTON 1047
#define IDC_CMD_EDIT1 1048
#define IDC_CMD_EDIT2 1049
#define IDC_TX_COUNT_STATIC 1050
#define IDC_RX_COUNT_STATIC 1051
#define IDC_STATUS_STATIC 1052
#define IDC_CMD_EDIT3 1053
#define IDC_CMD_SEND1 1054
#define IDC_CMD_HEX1 1055
#define IDC_CMD_SEND2 1056
#define IDC_CMD_HEX2 1057
#define IDC_CMD_SEND3 1058
#define IDC_CMD_HEX3 1059
#define IDC_CMD_EDIT4 1060
#define IDC_CMD_SEND4 1061
#define IDC_CMD_HEX4 1062
#define IDC_CMD_EDIT5 1063
#define IDC_CMD_SEND5 1064
#define IDC_CMD_HEX5 1065
#define IDC_CMD_EDIT6 1066
#define IDC_CMD_SEND6 1067
#define IDC_CMD_HEX6 1068
#define IDC_CMD_EDIT7 1069
#define IDC_CMD_SEND7 1070
#define IDC_CMD_HEX7 1071
#define IDC_CMD_EDIT8 1072
#define IDC_CMD_SEND8 1073
#define IDC_CMD_HEX8 1074
#define IDC_CMD_EDIT9 1075
#define IDC_CMD_SEND9 1076
#define IDC_CMD_HEX9 1077
#define IDC_CMD_EDIT10 1078
#define IDC_CMD_SEND10 1079
#define IDC_CMD_HEX10 1080
#define IDC_HIDE_PANEL_BUTTON 1081
#define IDC_CLEAR_HISTORY_BUTTON 1082
#define IDC_CMD_SAVE_BUTTON 1083
#define IDC_CMD_RESET_BUTTON 1085
#define IDC_PORT_GROUP 1086
#define IDC_RX_GROUP 1087
#define IDC_TX_GROUP 1088
#define IDC_STATUS_GROUP 1089
#define IDC_PORT_LABEL 1090
#define IDC_BAUD_LABEL 1091
#define IDC_DATABITS_LABEL 1092
#define IDC_PARITY_LABEL 1093
#define IDC_STOPBITS_LABEL 1094
#define IDC_FLOWCTRL_LABEL 1095
#define IDC_INTERVAL_UNIT_LABEL 1096
#define IDC_CMD_GROUP 1097
#define IDC_CMD_HEX_LABEL 1098
#define IDC_CMD_TEXT_LABEL 1099
#define IDC_CMD_SEND_LABEL 1100
#define IDC_CMD_EDIT11 1101
#define IDC_CMD_EDIT12 1102
#define IDC_CMD_HEX11 1103
#define IDC_CMD_HEX12 1104
#define IDC_CMD_SEND11 1105
#define IDC_CMD_SEND12 1106
// The modem lines in the status band, after the controls above in template order.
#define IDC_DTR_CHECK 1120
#define IDC_RTS_CHECK 1121
#define IDC_MODEM_STATIC 1122

// The settings box (IDD_SETTINGS).
#define IDC_SET_ENCODING 1200
#define IDC_SET_LINE_END 1201
#define IDC_SET_SHOW_SENT 1202
#define IDC_SET_DTR 1203
#define IDC_SET_RTS 1204
#define IDC_SET_RECONNECT 1205
#define IDC_SET_RECONNECT_SECS 1206
#define IDC_SET_PORT_PATH 1207
#define IDC_SET_PORT_ADD 1208
#define IDC_SET_PORT_LIST 1209
#define IDC_SET_PORT_REMOVE 1210
#define IDC_SET_LIVE_LOG 1211
#define IDC_SET_LIVE_LOG_PATH 1212
#define IDC_SET_LIVE_LOG_BROWSE 1213
#define IDC_SET_LIVE_LOG_TIME_NAME 1214
#define IDC_SET_RX_LIMIT 1215
#define IDC_SET_KEEP_HISTORY 1216
#define IDC_SET_NOT_SAVED 1217  // why changes would not last, when they would not
#define IDC_SET_CHECKSUM 1230
#define IDC_SET_CHECKSUM_ORDER 1231
#define IDC_SET_CHECKSUM_TEXT 1232
#define IDC_SET_LOOSE_HEX 1233
#define IDC_SET_FILE_PROTOCOL 1234
#define IDC_SET_FILE_PAUSE 1235
#define IDC_SET_FILE_PAUSE_EVERY 1236
#define IDC_SET_BREAK_MS 1237
#define IDC_SET_RESET_LINE 1238
#define IDC_SET_RESET_MS 1239

// The settings box's 自动应答 group, and the 自动应答 box (IDD_AUTO_REPLY): a grid of rows, each
// with its on box, pattern, Lua-pattern box, reply, hex box and delay, at
// IDC_AUTO_ROW0 + row * IDC_AUTO_COLUMNS + column.
#define IDC_SET_AUTO_REPLY 1350
#define IDC_SET_AUTO_REPLY_EDIT 1351
#define IDC_AUTO_ROW0 1352
#define IDC_AUTO_COLUMNS 6
#define IDC_AUTO_ROWS 8  // to 1399
#define IDC_AUTO_ON 0
#define IDC_AUTO_PATTERN 1
#define IDC_AUTO_LUA 2
#define IDC_AUTO_REPLY 3
#define IDC_AUTO_HEX 4
#define IDC_AUTO_DELAY 5

// The settings box's 界面语言 / Language group.
#define IDC_SET_LANGUAGE 1400

// The find box (IDD_FIND).
#define IDC_FIND_TEXT 1240
#define IDC_FIND_NEXT 1241
#define IDC_FIND_PREV 1242
#define IDC_FIND_CASE 1243
#define IDC_FIND_HEX 1244
#define IDC_FIND_STATUS 1245

// Commands of the receive display's context menu.
#define IDM_RX_COPY 0x8001
#define IDM_RX_SELECT_ALL 0x8002
#define IDM_RX_SETTINGS 0x8003
#define IDM_RX_FIND 0x8004
#define IDM_RX_PAUSE_SCROLL 0x8005
#define IDM_RX_LIVE_LOG 0x8006
// Keyboard commands of the main window: find again forward and backward (F3, Shift+F3).
#define IDM_RX_FIND_NEXT 0x8010
#define IDM_RX_FIND_PREV 0x8011

// Keyboard commands of the main dialog (accelerators).
#define IDM_FOCUS_SEND 0x8020
#define IDM_FOCUS_RECEIVE 0x8021
// The status band's context menu and keys: the line signals.
#define IDM_LINE_BREAK 0x8040
#define IDM_LINE_RESET 0x8041
// Files: 发送文件, 接收文件 and cancelling a transfer (context menus and keys); the send
// edit's own editing entries in its context menu.
#define IDM_FILE_SEND 0x8030
#define IDM_FILE_RECEIVE 0x8031
#define IDM_FILE_CANCEL 0x8032
#define IDM_EDIT_CUT 0x8033
#define IDM_EDIT_COPY 0x8034
#define IDM_EDIT_PASTE 0x8035
#define IDM_EDIT_SELECT_ALL 0x8036
// The receive display's layout and size: the context menu's toggles and the zoom keys.
#define IDM_RX_ZOOM_IN 0x8050
#define IDM_RX_ZOOM_OUT 0x8051
#define IDM_RX_ZOOM_RESET 0x8052
#define IDM_RX_LINE_STAMPS 0x8053
#define IDM_RX_HEX_ROWS 0x8054

// The settings box's 显示 group (IDD_SETTINGS, second column).
#define IDC_SET_LINE_STAMPS 1250
#define IDC_SET_STAMP_DELTA 1251
#define IDC_SET_HEX_ROWS 1252
#define IDC_SET_HEX_ROW_BYTES 1253
#define IDC_SET_FONT_FACE 1254
#define IDC_SET_FONT_PX 1255

// Colours of the receive display: the 颜色与高亮 group of the settings box, the highlight
// box (IDD_HIGHLIGHTS) and the context menu's toggle.
#define IDD_HIGHLIGHTS 115
#define IDC_SET_ANSI 1275
#define IDC_SET_SENT_COLOR 1276
#define IDC_SET_HIGHLIGHT_SUMMARY 1277
#define IDC_SET_HIGHLIGHTS 1278
#define IDC_HL_LIST 1280
#define IDC_HL_PATTERN 1281
#define IDC_HL_REGEX 1282
#define IDC_HL_LINE 1283
#define IDC_HL_COLOR 1284
#define IDC_HL_ADD 1285
#define IDC_HL_CHANGE 1286
#define IDC_HL_REMOVE 1287
#define IDC_HL_EXAMPLE 1288
#define IDM_RX_ANSI 0x8058
// Scripts: 运行脚本..., 停止脚本 and the last five scripts (context menu and keys).
#define IDM_SCRIPT_RUN 0x8070
#define IDM_SCRIPT_STOP 0x8071
#define IDM_SCRIPT_RECENT 0x8072  // to 0x8076, newest first
// The plot window (绘图): the receive area's context menu and Ctrl+Shift+P.
#define IDM_PLOT_OPEN 0x8060

// The program's resources as data: dialog templates, the string table and the icon.
#pragma once
#include "platform/afx.h"
#include "res/resource.h"

// PNG images of the main icon (several sizes, one after the other), generated from res/icons.
extern const unsigned char g_IconPng[];
extern const unsigned int g_IconPngSizes[];
extern const int g_IconPngCount;

extern const AFX_RESOURCES g_KivernResources;
// The settings box's template.
extern const DLGTEMPLATE_DATA g_SettingsDialog;
// The 自动应答 box's template, built at start.
extern const DLGTEMPLATE_DATA g_AutoReplyDialog;

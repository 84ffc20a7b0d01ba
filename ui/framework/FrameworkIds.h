// Standard command, string and window ids of the application framework layer.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

// Commands
#define ID_SEPARATOR 0
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_WINDOW_SPLIT 0xE135
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_HELP_FINDER 0xE143
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP 0xE146
#define ID_DEFAULT_HELP 0xE147
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801

// Status bar indicators (their strings are the indicator texts)
#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703

// Strings
#define AFX_IDS_APP_TITLE 0xE000
#define AFX_IDS_IDLEMESSAGE 0xE001
#define AFX_IDS_UNTITLED 0xE002
#define AFX_IDS_CANNOT_OPEN 0xE003
#define AFX_IDS_CREATE_DOC_FAILED 0xE004
#define AFX_IDS_ALL_FILES 0xE005
#define AFX_IDS_HELP_MISSING 0xE006
#define AFX_IDS_HELP_FAILED 0xE007
#define AFX_IDS_MEMORY_EXCEPTION 0xE008

// Windows
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900

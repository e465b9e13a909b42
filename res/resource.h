// Resource ids of the updater. The numbers are part of the program's
// interface: other parts and the tests look resources up by them.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_MAIN_DIALOG         102
#define IDD_NOTIFY_DIALOG       129

// The helper program carried inside the updater, resource type "BIN"
#define IDR_HELPER_BIN          131

// Artwork
#define IDB_NOTIFY_BACKGROUND   132
#define IDB_MAIN_BACKGROUND     133
#define IDI_MAIN                134

// Optional text of the about box's lower line, resource type RT_HTML (23)
#define IDR_ABOUT_TEXT          141

// Controls of the main window
#define IDC_BACKGROUND          1000
#define IDC_FILE_PROGRESS       1001
#define IDC_TOTAL_PROGRESS      1002
#define IDC_FILE_NAME_CAPTION   1011
#define IDC_FILE_NAME           1015
#define IDC_FILE_INFO           1016
#define IDC_STATUS              1017
#define IDC_SUMMARY             1018

// Controls of the running-program dialog
#define IDC_FILES_IN_USE        1002
#define IDC_RETRY               1004

// Controls of the about box
#define IDC_ABOUT_DETAILS       1005
#define IDC_ABOUT_TITLE         1006

// Commands the main window and the application answer
#define ID_SHOW_WINDOW          32773
#define ID_QUIT_APP             32774
#define ID_APP_ABOUT            32775

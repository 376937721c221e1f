// Resource ids of the builder, shared by builder.rc and the window code.
#pragma once

// Wizard pages 1..7 are dialogs 1001..1007; the Variables dialog is 1008.
#define IDD_FIRST_PAGE 1001
#define IDD_VARIABLES 1008

// The frame every page shares.
#define IDC_CANCEL 4001
#define IDC_NEXT 4002  // "B&uild" on the build page
#define IDC_BACK 4003
#define IDC_SEPARATOR 4004
#define IDC_BANNER 4005

#define IDI_BUILDER 8001
#define IDA_BANNER 8002
#define IDA_INTRO_LEFT 8003
#define IDA_INTRO_TOP 8004
#define IDB_LOG_MARKS 8005
#define IDB_CHECK_BOXES 8006
#define IDS_INTRODUCTION 10001

// Identifiers of tendra.exe's resources, controls and commands (shared by
// the program, its resource script and the tests that drive it).
#pragma once

#define IDI_TENDRA 1

// The main window TKS_Zamawiacz and its pages.
#define IDC_TAB_1 101
#define IDC_TAB_2 102
#define IDC_TAB_3 103

#define IDC_BTN_WSTECZ 110
#define IDC_BTN_DALEJ 111
#define IDC_BTN_AKCEPT 112
#define IDC_BTN_POMOC 113
#define IDC_BTN_LOAD_PRODUCTS 114
#define IDC_BTN_CENNIK 115
#define IDC_TOOLBARBUTTON971 116

#define IDC_EDT_NAZWISKO 120
#define IDC_EDT_ORGANIZACJA 121
#define IDC_EDT_ULICA 122
#define IDC_EDT_KOD 123
#define IDC_EDT_MIASTO 124
#define IDC_EDT_NIP 125
#define IDC_EDT_TELEFON 126
#define IDC_EDT_EMAIL 127
#define IDC_EDT_UWAGI 128
#define IDC_EDT_RACHUNEK 130
#define IDC_LST_DOSTAWA 131
#define IDC_LST_PROGRAMY 132
#define IDC_CHK_PROFORMA 133
#define IDC_CHK_UPOW 134
#define IDC_LBL_UPOWAZNIENIE 135
#define IDC_GRP_DANE 136

#define IDC_MEM_TENDRA 140
#define IDC_CHK_PROXY 141
#define IDC_EDT_PROXY 142
#define IDC_EDT_PORT 143
#define IDC_SPN_PORT 144
#define IDC_CHK_NOCACHE 145
#define IDC_GRP_PROXY 146

// Labels (never 0xFFFF: that number marks the text of a message box).
#define IDC_LABEL_FIRST 150

// PMNU_Server, the drop-down menu of BTN_Akcept.
#define IDM_PMNU_DRUK 201
#define IDM_PMNU_INET1 202
#define IDM_PPMNU_INET2 203
#define IDM_PMNU_SKLEP 204

// TLicencjaDlg
#define IDD_LICENCJA 300
#define IDC_LIC_COUNT 301
#define IDC_LIC_SPIN 302
#define IDC_LIC_BEFORE 303
#define IDC_LIC_AFTER 304

// TCEnnikDlg
#define IDD_CENNIK 310
#define IDC_MEM_CENNIK 311
#define IDC_CEN_INTRO 312
#define IDC_CEN_NOTE 313

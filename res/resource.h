// Identifiers of the resources in GmbxRes.dll, shared by the resource
// script and the program. Plain macros so that windres can read them.
//
// Every message text is shown through a printf-style formatter: a string
// whose comment names no arguments takes none (and holds no '%'); the
// others take exactly the arguments named here.
#pragma once

// Frame resources: menu, icon, accelerators, tool bar bitmap, and the tool
// bar layout as a resource of type 241 (RT_TOOLBAR form; toolbar.h has the
// same list in C++).
#define IDR_MAINFRAME 153

// Dialog templates.
#define IDD_ABOUT 113
// Controls of the About box.
#define IDC_ABOUT_VERSION 1100      // static text; its text is the version format "%d.%d.%d"
#define IDC_ABOUT_ICON 1101

// The installer's folder question: the folder in an edit box, OK, Cancel.
#define IDD_INSTALL_FOLDER 106
#define IDC_INSTALL_FOLDER 1088
#define IDC_INSTALL_PROMPT 1089

// Hotkey dialogs: the list of the eight keys, and the edit box of one.
#define IDD_HOTKEY_EDIT 134
#define IDD_HOTKEYS 135
#define IDC_HOTKEY_CONTROL 1000
#define IDC_HOTKEYS_ENABLE 1001
#define IDC_HOTKEYS_UNDO 1002
#define IDC_HOTKEYS_PRTSC 1003
#define IDC_HOTKEYS_APPLY 1004
#define IDC_HOTKEY_ROW_FIRST 1007   // 1007..1014: one button per row
#define IDC_HOTKEYS_HELP 1015
#define IDC_HOTKEY_PROMPT 1017
#define IDC_HOTKEYS_DEFAULTS 33671
#define IDC_HOTKEYS_CLEAR 33672
// The transparent-colour box of the GIF save: a template named "trbk"
// (a name, not a number) with its question, colour box and three buttons;
// the buttons end the box with 1 (use the colour), 11 (pick again) and -1.
#define IDC_TRBK_TEXT 1200          // t1: the question (IDS_TRANSP_QUESTION)
#define IDC_TRBK_COLOUR 1201        // cbox: owner-drawn bar of the picked colour
#define IDC_TRBK_USE 1202           // b1 (IDS_TRANSP_ACCEPT), the default
#define IDC_TRBK_AGAIN 1203         // b2 (IDS_TRANSP_AGAIN)
#define IDC_TRBK_CANCEL 1204        // b3 (IDS_TRANSP_CANCEL)

// The Save As and Open dialogs: child templates below the system's file
// dialogs. Strings 43, 156, 157 and 203-206 are their texts.
#define IDD_OPEN_EXTRA 137
#define IDD_SAVE_EXTRA 138
#define IDC_SAVE_AUTOSEL 1018       // choose the colour depth automatically
#define IDC_SAVE_APPEND 1040        // append as a new page (add-on only)
#define IDC_SAVE_QUALITY 1043       // quality edit field, 1-100
#define IDC_SAVE_QSCROLL 1044       // its scroll bar
#define IDC_SAVE_DEPTH1 1045        // depth radios 1045..1050: 1, 4, 8, 16, 24, 32 bits
#define IDC_SAVE_DEPTH32 1050
#define IDC_SAVE_BEST_PALETTE 1067  // colour reduction, flag bit value 2 (add-on only)
#define IDC_SAVE_DITHER 1068        // colour reduction, flag bit value 8 (add-on only)
#define IDC_SAVE_DEPTH_GROUP 1320
#define IDC_SAVE_VARIANT_LABEL 1321
#define IDC_SAVE_VARIANT 1322       // variant list
#define IDC_SAVE_QUALITY_LABEL 1323
#define IDC_SAVE_INTERLACE 1324     // caption 203 (GIF) or 204 (JPEG)
#define IDC_SAVE_TRANSPARENT 1325   // GIF: ask for a transparent colour
#define IDC_OPEN_PAGE_LABEL 1326    // page field of the Open dialog (add-on only)
#define IDC_OPEN_PAGE 1327
#define IDS_SAVE_NO_FOLDER 270      // args: folder
#define IDS_SAVE_READ_ONLY 271      // args: path
#define IDS_SAVE_TOO_LONG 272       // args: longest path length (int)
#define IDS_SAVE_IS_FOLDER 273      // args: path
#define IDS_MAIL_NOT_SUPPORTED 274  // mail failure reasons, shown in IDS_MAIL_FAILED
#define IDS_MAIL_LOGON 275
#define IDS_MAIL_ATTACHMENT 276
#define IDS_MAIL_MEMORY 277
#define IDS_MAIL_OTHER 278
#define IDS_MAIL_NO_ATTACHMENT 279  // no attachment could be written

// Strings.
#define IDS_NO_OVERLAY 14           // selection overlay could not be created
#define IDS_NO_SCROLL 15            // scrolling capture found nothing to scroll
#define IDS_CLIP_OPEN_FAILED 16     // the clipboard could not be opened
#define IDS_CLIP_EMPTY_FAILED 17    // the clipboard could not be emptied
#define IDS_CLIP_NO_MEMORY 18       // no memory for the clipboard block
#define IDS_NO_ADDON 19             // command needs the imaging add-on
#define IDS_CLIP_DIB_REFUSED 20     // the clipboard refused the DIB
#define IDS_PASTE_NOTHING 260       // the clipboard holds no bitmap
#define IDS_PASTE_UNREADABLE 261    // the clipboard's bitmap could not be read
#define IDS_MAIL_NO_LIBRARY 262     // the messaging library is missing or incomplete
#define IDS_MAIL_FAILED 263         // args: reason (string), code of the mail call (unsigned long)
#define IDD_EMAIL 105               // the e-mail dialog
#define IDD_CLIP_OPTIONS 104        // the clipboard options dialog
#define IDC_CLIP_BITS2 1008         // depth radios: 2, 16, 256 colours, true colour
#define IDC_CLIP_BITS16 1009
#define IDC_CLIP_BITS256 1010
#define IDC_CLIP_BITS24 1011
#define IDC_CLIP_AUTOSEL 1012       // use the display's colour count
#define IDC_CLIP_MINIMIZE 1013      // minimize after the Copy command
#define IDC_CLIP_BOTH 1019          // format radios: both, DIB only, bitmap only
#define IDC_CLIP_DIB 1020
#define IDC_CLIP_BITMAP 1021
#define IDC_CLIP_HELP 1038
#define IDC_CLIP_GROUP1 1310        // group boxes
#define IDC_CLIP_GROUP2 1311
#define IDC_EMAIL_TYPE 1300         // file type list
#define IDC_EMAIL_VARIANT 1301      // variant list
#define IDC_EMAIL_QUALITY 1302      // quality edit field
#define IDC_EMAIL_QSCROLL 1303      // quality scroll bar
#define IDC_EMAIL_AUTOSEL 1304      // auto-select colour depth
#define IDC_EMAIL_NAME 1305         // attachment name
#define IDC_EMAIL_LABEL1 1306       // labels
#define IDC_EMAIL_LABEL2 1307
#define IDC_EMAIL_LABEL3 1308
#define IDC_EMAIL_LABEL4 1309
#define IDS_PRINT_FAILED 21         // printing failed
#define IDS_GIF_OPEN_FAILED 22      // args: path
#define IDS_GIF_READ_FAILED 23      // args: path
#define IDS_GIF_CONVERT_FAILED 24   // GIF picture could not be turned into a DIB
#define IDS_OPEN_FAILED 25          // "%s" could not be opened; args: path
#define IDS_NEED_STOP_KEY 28        // automatic saving needs the Stop hotkey
#define IDS_TIMED_CAPTURE_ON 29     // args: interval in seconds (double, "%g"), Stop key text (string)
// Automatic saving: its dialog (Options, Save after Capture) and messages.
#define IDD_AUTO_SAVE 141
#define IDC_AUTOSAVE_NAME 1400      // file name, extension included
#define IDC_AUTOSAVE_BROWSE 1401
#define IDC_AUTOSAVE_PROMPT 1402    // QuickSavePrompt
#define IDC_AUTOSAVE_NUMBER 1403    // QuickSaveInc
#define IDC_AUTOSAVE_COUNT 1404     // QuickSaveCount
#define IDC_AUTOSAVE_MAX 1405       // QuickSaveMax
#define IDC_AUTOSAVE_SECONDS 1406   // timed-capture interval in seconds
#define IDC_AUTOSAVE_KEEPGOING 1407 // a failed save does not stop the timed capture
#define IDC_AUTOSAVE_LABEL1 1410    // 1410..1413: the labels of the fields
#define IDC_AUTOSAVE_LABEL2 1411
#define IDC_AUTOSAVE_LABEL3 1412
#define IDC_AUTOSAVE_LABEL4 1413

// The gamma correction dialog.
#define IDD_GAMMA 120
#define IDC_GAMMA_APPLY 3           // apply the typed gamma
#define IDC_GAMMA_EDIT 1000         // gamma, 0.1 to 10
#define IDC_GAMMA_SLIDER 1032       // 0 (gamma 2) .. 100 (1) .. 200 (0.5)
#define IDC_GAMMA_RESET 1033        // back to the untouched image
#define IDC_GAMMA_LABEL1 1420       // labels
#define IDC_GAMMA_LABEL2 1421
#define IDC_GAMMA_LABEL3 1422

// The image resolution dialog.
#define IDD_IMAGE_RES 124
#define IDC_RES_HORIZ 1000          // horizontal resolution, dots per inch
#define IDC_RES_VERT 1005           // vertical resolution, dots per inch
#define IDC_RES_APPLY 1007          // set it in the current image
#define IDC_RES_DEFAULT 1013        // keep it as the default (HorizRes, VertRes)
#define IDC_RES_LABEL1 1425         // labels
#define IDC_RES_LABEL2 1426
#define IDC_RES_LABEL3 1427
#define IDC_RES_LABEL4 1428

#define IDS_GAMMA_RANGE 290         // the gamma field holds no number from 0.1 to 10
#define IDS_DPI_RANGE 291           // a resolution field holds no number from 10 to 10000
#define IDS_EDIT_NO_MEMORY 292      // an image editing command could not copy the image
#define IDS_AUTOSAVE_BAD_NUMBER 280       // start or highest number is no whole number
#define IDS_AUTOSAVE_COUNT_ABOVE_MAX 281  // start number above the highest number
#define IDS_AUTOSAVE_BAD_SECONDS 282      // interval is no number of seconds
#define IDS_QUICKSAVE_PAST_MAX 283  // args: counter (int), highest number (int)
#define IDS_QUICKSAVE_TOO_LONG 284  // args: QuickSaveName (string)
#define IDS_APP_TITLE 35            // the framework's application title
#define IDS_SIZE_LABEL 39           // title: "%s (%s: %d %d)"
#define IDS_POINTER_LABEL 40        // title: "%s (%d %d) %s"
#define IDS_TRAY_RESTORE 41         // text of tray menu item 40038
#define IDS_ASK_TRAY_CLOSE 42       // yes: the close box ends the program
#define IDS_OPEN_TITLE 43
#define IDS_TRAY_EXIT 44            // text of the Exit item appended to the tray menu
#define IDS_CONFIRM_UNINSTALL 107
#define IDS_HOTKEY_FAILED 115       // first part of the failure box, before ":"
#define IDS_HOTKEY_FAILED_TAIL 117  // last part of the failure box, after the list
#define IDS_SYS_DESKTOP 118
#define IDS_SYS_WINDOW 119
#define IDS_SYS_AWIN 120
#define IDS_SYS_ACLI 121
#define IDS_SYS_REGION 122
#define IDS_SYS_REPEAT 123
#define IDS_SYS_MENUBAR 124
#define IDS_GAMECAP_VERSION 151     // framegrip.dll is of another version
#define IDS_GAMECAP_NO_LIBRARY 152  // framegrip.dll could not be loaded (trace only)
#define IDS_DISPLAY_NAME 153        // the program's display name
#define IDS_ASK_REPLACE 156         // args: path
#define IDS_SAVE_TITLE 157          // Save As dialog title, caption of 156
#define IDS_NOTHING_TO_SAVE 159
#define IDS_CONVERT_FAILED 160      // "%s SaveBMP(), SetDIBFromPixmap()"; also "%s StartDoc()"
#define IDS_WRITE_FAILED 161        // args: path
#define IDS_GIF_PREPARE_FAILED 162  // picture could not be made into a GIF image
#define IDS_PICK_TRANSPARENT 163    // blinking title while the transparent colour is picked
#define IDS_PICK_OUTSIDE 164        // the picked point is outside the picture
#define IDS_TRANSP_TITLE 165        // title of the transparent-colour dialog
#define IDS_TRANSP_QUESTION 166     // its static text
#define IDS_TRANSP_ACCEPT 167       // its buttons: accept (result 1) ...
#define IDS_TRANSP_AGAIN 168        // ... pick again (result 11) ...
#define IDS_TRANSP_CANCEL 169       // ... cancel (result -1)
#define IDS_GIF_WRITE_FAILED 170    // args: path
#define IDS_GIF_CREATE_FAILED 171   // the GIF file could not be created
#define IDS_JPEG_WRITE_FAILED 172   // the JPEG file could not be written
#define IDS_REGION_HELP_FIRST 173   // 173..181: the lines of the region help panel
#define IDS_REGION_HELP_LAST 181
#define IDS_REGION_HELP2_FIRST 182  // 182, 183 and 193: its further lines in the second phase
#define IDS_REGION_HELP2_SECOND 183
#define IDS_PRN_ABORTED_BY_PROGRAM 184
#define IDS_PRN_GENERAL_ERROR 185
#define IDS_PRN_OUT_OF_DISK 186
#define IDS_PRN_OUT_OF_MEMORY 187
#define IDS_PRN_ABORTED_BY_USER 188
#define IDS_PRN_OTHER_ERROR 189
#define IDS_NO_BITMAP 191           // a device bitmap could not be created
#define IDS_REGION_HELP2_THIRD 193
#define IDS_INSTALL_TITLE 194       // installer folder dialog title and error caption
#define IDS_INSTALL_MKDIR_FAILED 195  // args: folder
#define IDS_INSTALL_NOT_WRITABLE 196  // args: folder
#define IDS_INSTALL_COPY_FAILED 197
#define IDS_UNINSTALL_ECHO1 198     // 198..200: lines echoed by the uninstall batch file
#define IDS_UNINSTALL_ECHO2 199     //   (no characters with a meaning to the command processor)
#define IDS_UNINSTALL_ECHO3 200
#define IDS_INTERLACED 203          // caption of the interlace box for GIF
#define IDS_PROGRESSIVE 204         // caption of the interlace box for JPEG
#define IDS_PAGE_LABEL 205          // page field label without a page count
#define IDS_PAGE_LABEL_COUNT 206    // args: page count (int)
#define IDS_ADDON_ERROR 34500       // prefix of the add-on error box; holds the one "%d" (the code);
                                    // 34500 - e (34501..34530 for e = -1..-30) follows it, without '%'
#define IDS_ADDON_ERROR_LAST 34530
#define IDS_HOTKEY_DESC_FIRST 34601 // 34601..34608: the eight hotkey descriptions
#define IDS_PREFIX_SHIFT 34610
#define IDS_PREFIX_CTRL 34611
#define IDS_PREFIX_ALT 34612
#define IDS_NO_KEY 34613
#define IDS_HOTKEY_PROMPT_FIRST 34614 // 34614..34621: edit dialog prompt for hotkey row 0..7
#define IDS_LIB_FONT_FACE 34622     // face name of the library font ("none" = empty)
#define IDS_LIB_FONT_CHARSET 34623  // its character set, decimal
// Status bar text while nothing else is shown (the framework's idle message).
#define IDS_READY 0xE001
// Our own: a command-line option or command whose feature this build lacks.
#define IDS_NOT_AVAILABLE 60000     // "%s" is not available in this version.

// Menu and tool bar commands of the main window. Each command also has a
// string of the same number: "status bar prompt\ntool tip".
#define ID_CAPTURE_DESKTOP 40005
#define ID_CAPTURE_WINDOW 40006
#define ID_CAPTURE_AWIN 40007
#define ID_CAPTURE_ACLI 40008
#define ID_CAPTURE_REGION 40009
#define ID_CAPTURE_REPEAT 40010
#define ID_GAME_CAPTURE 40011
#define ID_AUTO_COPY 40012
#define ID_AUTO_PRINT 40013
#define ID_AUTO_SAVE 40014
#define ID_AUTO_SCROLL 40015
#define ID_INCLUDE_CURSOR 40016
#define ID_AUTO_RESTORE 40017
#define ID_EDIT_CROP 40018
#define ID_EDIT_BLANK 40019
#define ID_EDIT_BLANK_COLOR 40020
#define ID_EDIT_RESIZE 40021        // add-on: resize dialog
#define ID_HOTKEYS 40022
#define ID_HIDE_REGION_HELP 40023
#define ID_TRAY_ICON 40024
#define ID_SCROLL_SETTINGS 40025
#define ID_FULL_SCREEN 40026
#define ID_PREV_FILE 40027
#define ID_NEXT_FILE 40028
#define ID_TOGGLE_MENU_BAR 40029
#define ID_HELP_INDEX 40031
#define ID_HELP_TOPIC 40032
#define ID_HELP_TOPIC41 40033
#define ID_ABOUT 40037
#define ID_TRAY_RESTORE 40038
#define ID_EDIT_COLORS 40049        // add-on: colour depth dialog
#define ID_EDIT_EFFECT 40050        // add-on effect 0 (sharpen)
#define ID_EDIT_ROTATE 40051        // add-on effect 1 (rotate a quarter turn)
#define ID_TWAIN_ACQUIRE 40052
#define ID_TWAIN_SELECT 40053
#define ID_NEED_ADDON 40054
#define ID_PRINT_NOW 40058
#define ID_EDIT_FLIP 40069          // add-on effect 2 (flip top to bottom)
#define ID_EDIT_MIRROR 40070        // add-on effect 3 (mirror left to right)
#define ID_RESOLUTION 40071         // default resolution (HorizRes, VertRes)
#define ID_AUTO_CROP_SCALE 40073

// Names that say what the commands above do; the menu script uses these.
#define ID_EDIT_ROTATE_DLG 40065    // add-on: rotate by an angle (dialog)
#define ID_EDIT_BW_SWAP 40066       // black-and-white swap
#define ID_EDIT_GAMMA_DLG 40067     // gamma correction dialog
#define ID_EDIT_IMAGE_RES 40072     // resolution of the current image (dialog)

// The framework's standard commands.
#define ID_FILE_OPEN 0xE101
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PAGE_SETUP 0xE105
#define ID_FILE_PRINT 0xE107
#define ID_FILE_SEND_MAIL 0xE10C
#define ID_APP_EXIT 0xE141
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_UNDO 0xE12B
#define ID_APP_ABOUT 0xE140

// Control ids of the frame.
#define ID_TOOLBAR 0xE800
#define ID_STATUSBAR 0xE801

// Tool bar bitmap (BITMAP IDR_MAINFRAME): one 16 x 15 cell per button, in
// this order (res/toolbar.h has the same list as an array):
//   0 ID_FILE_OPEN       1 ID_FILE_SAVE_AS     2 ID_EDIT_COPY
//   3 ID_FILE_PRINT      4 ID_CAPTURE_DESKTOP  5 ID_CAPTURE_WINDOW
//   6 ID_CAPTURE_REGION  7 ID_CAPTURE_AWIN     8 ID_CAPTURE_ACLI
//   9 ID_CAPTURE_REPEAT 10 ID_INCLUDE_CURSOR  11 ID_EDIT_RESIZE
//  12 ID_TWAIN_ACQUIRE  13 ID_ABOUT
#define GMBX_TOOLBAR_BUTTON_WIDTH 16
#define GMBX_TOOLBAR_BUTTON_HEIGHT 15
#define GMBX_TOOLBAR_IMAGE_COUNT 14

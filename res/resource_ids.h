// Ids of the program's resources and of the commands and controls inside them.
// Plain #defines: this header is read both by the resource compiler (quorvane.rc) and by the C++ code.
#ifndef QUORVANE_RES_RESOURCE_IDS_H
#define QUORVANE_RES_RESOURCE_IDS_H

// Icons, each with a 32x32 and a 16x16 image in 16 colours.
#define IDI_IDLE 101      // the cat's face, eyes open: nothing waiting
#define IDI_MAIL 104      // the cat's face, eyes closed and smiling: mail is waiting (16 px on red)
#define IDI_CHECKING 108  // the back of the cat's head: a check is running (16 px on green)

// The same drawings enlarged pixel by pixel for screens above 96 DPI: the square's images (40, 48, 64 and
// 96 pixels, from the 32-pixel drawing) and the tray's (20, 24, 32 and 48 pixels, from the 16-pixel one).
#define IDI_IDLE_LARGE 121
#define IDI_MAIL_LARGE 124
#define IDI_CHECKING_LARGE 128
#define IDI_IDLE_TRAY 131
#define IDI_MAIL_TRAY 134
#define IDI_CHECKING_TRAY 138

// Menus.
#define IDR_POPUP_MENU 105      // one popup; its submenu 0 is the main window's popup menu
#define IDR_MAIL_LIST_MENU 110  // menu bar of the mail list window

// Dialog templates.
#define IDD_SETTINGS 106
#define IDD_PASSWORD 109
#define IDD_MAIL_INFO 111
#define IDD_SIGN_IN 112

// Commands of the popup menu (menu 105).
#define IDM_QUIT 40001
#define IDM_SETTINGS 40002
#define IDM_CHECK_NOW 40003
#define IDM_STOP_CHECK 40004
#define IDM_TRAY 40005
#define IDM_PAUSE 40006
#define IDM_START_MAILER 40007

// Commands of the mail list window's menu (menu 110).
#define IDM_SORT_SUBJECT 40008
#define IDM_LIST_START_MAILER 40009
#define IDM_DELETE_CHECKED 40010
#define IDM_SORT_FROM 40011
#define IDM_SORT_SIZE 40012
#define IDM_SORT_FIRST_LINES 40013
#define IDM_CLOSE_LIST 40014
#define IDM_TOGGLE_MARKS 40015

// Controls of the settings dialog (dialog 106); OK and cancel are IDOK and IDCANCEL.
#define IDC_SERVER 1000
#define IDC_USER 1001
#define IDC_PASS 1002
#define IDC_PORT 1003
#define IDC_HEAD_COUNT 1004
#define IDC_APOP 1005
#define IDC_TIMER_MIN 1006
#define IDC_SOUND 1007
#define IDC_BROWSE_SOUND 1008
#define IDC_MAILER 1009
#define IDC_BROWSE_MAILER 1010
#define IDC_TIMEOUT_SEC 1020
#define IDC_SSL_MODE 1021
#define IDC_START_WITH_WINDOWS 1023  // adds or removes the program in the user's Run key (not in the INI)
#define IDC_NEW_MAIL_SOUND_ONLY 1022
#define IDC_SHOW_COUNT 1024
#define IDC_NOTIFY 1025
// The mailbox chooser and the fields of the chosen mailbox that only several mailboxes need.
#define IDC_MAILBOX 1026
#define IDC_ADD_MAILBOX 1027
#define IDC_DELETE_MAILBOX 1028
#define IDC_MAILBOX_NAME 1029
#define IDC_MAILBOX_ENABLED 1030
// How the chosen mailbox logs in, and its OAuth 2.0 sign-in.
#define IDC_AUTH 1031
#define IDC_PROTECT_PASS 1032
#define IDC_OAUTH_PROVIDER 1033
#define IDC_OAUTH_CLIENT_ID 1034
#define IDC_OAUTH_CLIENT_SECRET 1035
#define IDC_OAUTH_AUTHORIZE_URL 1036
#define IDC_OAUTH_TOKEN_URL 1037
#define IDC_OAUTH_SCOPE 1038
#define IDC_SIGN_IN 1039

// Controls of the sign-in dialog (dialog 112); its cancel button is IDCANCEL.
#define IDC_SIGN_IN_URL 1040

// Controls of the password dialog (dialog 109); OK and cancel are IDOK and IDCANCEL.
#define IDC_PASSWORD 1010

// Controls of the mail info dialog (dialog 111); its close button is IDOK.
#define IDC_INFO_SUBJECT 1011
#define IDC_INFO_FROM 1015
#define IDC_INFO_FIRST_LINES 1016
#define IDC_INFO_SIZE 1017

// Labels, group boxes and the icon of the dialogs carry no id of their own.
#define IDC_NONE (-1)

#endif  // QUORVANE_RES_RESOURCE_IDS_H

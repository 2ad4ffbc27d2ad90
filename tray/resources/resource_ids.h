/* Identifiers of the tray program's resources and dialog controls.
   Shared by tray/resources/tolvek.rc (windres) and the C++ code, so it holds
   nothing but plain #define lines that both preprocessors understand.
   Control identifiers only need to be unique within their own dialog: the
   same number means different controls in different templates. Template,
   icon and text identifiers may repeat across resource types too (dialog 109
   and text table 109 are different resources). */
#ifndef TOLVEK_RESOURCE_IDS_H
#define TOLVEK_RESOURCE_IDS_H

/* Icons: two groups of the same pictures, each at every size a display scale
   asks for. IDI_PROGRAM must stay the lowest icon group number: the first
   group is the one the program file shows. */
#define IDI_PROGRAM 101 /* the program file, its windows and the reminder window */
#define IDI_TRAY 114    /* the notification-area icon */

/* Text resources of type "STRINGFILE", Windows-1250: per language a table of
   the lines of the table and the about text. */
#define IDS_TABLE_CZECH 109
#define IDS_TABLE_ENGLISH 110
#define IDS_TABLE_SLOVAK 111
#define IDS_ABOUT_ENGLISH 112
#define IDS_ABOUT_SLOVAK 113
#define IDS_ABOUT_CZECH 114

/* Dialog templates. */
#define IDD_MAIN 103
#define IDD_NOTE_EDITOR 104
#define IDD_CONFIRM_REMOVE 107
#define IDD_REMINDER 108
#define IDD_OBSOLETE 109
#define IDD_ABOUT 113

/* Every modal dialog uses the same pair of buttons, so one dialog procedure
   can end any of them on these two identifiers alone. (IDC_NO is taken by
   the system's "unavailable" cursor, hence not Yes/No.) */
#define IDC_ACCEPT 1012 /* Accept, Yes, Thanks, OK: the dialog returns 1 */
#define IDC_CANCEL 1011 /* Cancel, No: the dialog returns 0 */

/* Statics that the code never addresses. */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* IDD_MAIN: the note list, its buttons and the language choice. */
#define IDC_NOTE_LIST 1001
#define IDC_ADD 1002
#define IDC_MODIFY 1003
#define IDC_REMOVE 1004
#define IDC_CLOSE 1005
#define IDC_INFO 1006
#define IDC_ENGLISH 1020 /* radio buttons, in languageIndex order */
#define IDC_CZECH 1021
#define IDC_SLOVAK 1022

/* IDD_NOTE_EDITOR: date lists, text field, reminder lists and their labels;
   closed with IDC_ACCEPT / IDC_CANCEL. */
#define IDC_TEXT 1004
#define IDC_DAY 1006
#define IDC_MONTH 1007
#define IDC_YEAR 1008
#define IDC_ADVANCE 1009
#define IDC_PERIOD 1010
#define IDC_TEXT_LABEL 1015
#define IDC_DATE_LABEL 1016
#define IDC_REMINDER_LABEL 1017

/* IDD_CONFIRM_REMOVE: the question; answered with IDC_ACCEPT / IDC_CANCEL. */
#define IDC_CONFIRM_QUESTION 1018

/* IDD_REMINDER: heading, the due note and its Remove button; IDC_ACCEPT is
   "Thanks". The four corner icons are IDC_STATIC. */
#define IDC_REMINDER_REMOVE 1004
#define IDC_REMINDER_TEXT 1015
#define IDC_REMINDER_HEADING 1023

/* IDD_OBSOLETE: heading, the obsolete note and the question; answered with
   IDC_ACCEPT / IDC_CANCEL. */
#define IDC_OBSOLETE_TEXT 1015
#define IDC_OBSOLETE_HEADING 1021
#define IDC_OBSOLETE_QUESTION 1022

/* IDD_ABOUT: the about text; closed with IDC_ACCEPT ("OK"). */
#define IDC_ABOUT_TEXT 1006

#endif /* TOLVEK_RESOURCE_IDS_H */

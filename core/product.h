/* The product's facts, written once. Plain #defines only: the programs' code and the
 * resource compiler (win32/version_info.rc) both include this file, so a new version or
 * name changes the code and every program's version resource together. Names that only
 * look alike have a define each: renaming the product must not move a user's diary or
 * settings. */
#ifndef TOLVEK_PRODUCT_H
#define TOLVEK_PRODUCT_H

#define TOLVEK_PRODUCT_NAME "Tolvek Diary"
#define TOLVEK_PUBLISHER "the Tolvek team"
#define TOLVEK_VERSION_TEXT "1.1"
/* FILEVERSION and PRODUCTVERSION: major, minor, then two zeros. */
#define TOLVEK_VERSION_NUMBERS 1, 1, 0, 0

/* The three programs as installed, and the names they are shipped under beside Setup:
 * "Tolvek.ex1" and "Uninstall.ex1" are copied to "Tolvek.exe" and "Uninstall.exe". */
#define TOLVEK_PROGRAM_FILE "Tolvek.exe"
#define TOLVEK_UNINSTALLER_FILE "Uninstall.exe"
#define TOLVEK_INSTALLER_FILE "Setup.exe"
#define TOLVEK_SHIPPED_PROGRAM_FILE "Tolvek.ex1"
#define TOLVEK_SHIPPED_UNINSTALLER_FILE "Uninstall.ex1"
#define TOLVEK_HISTORY_FILE "History.txt"

/* The folder Setup appends to the directory the user chooses. */
#define TOLVEK_INSTALL_FOLDER_NAME "Tolvek Diary"
/* Each user's own folder under the local application data, where a diary may live. */
#define TOLVEK_DATA_FOLDER_NAME "Tolvek Diary"
/* Each user's key under HKEY_CURRENT_USER\Software. */
#define TOLVEK_USER_KEY_NAME "Tolvek Diary"

/* The tray program's mutexes: one in the session's namespace that makes it single, one in
 * the global namespace through which Setup and Uninstall see it in any session. */
#define TOLVEK_INSTANCE_MUTEX "TolvekDiaryMutex"
#define TOLVEK_RUNNING_MUTEX "Global\\TolvekDiaryRunning"

#endif

/* The updater's version and names: the one place they are written.
 *
 * Read by updater.rc (through the C preprocessor) and by CMake (file(STRINGS) over the
 * "#define NAME value" lines), so keep each definition on one line, with a plain number or
 * one plain string literal as its value. The comma-separated strings are spelled out rather
 * than built with the preprocessor because windres does not join adjacent literals inside a
 * VALUE statement the way a C compiler would. */
#ifndef TAVRIN_UPDATER_VERSION_H
#define TAVRIN_UPDATER_VERSION_H

#define UPDATER_VERSION_MAJOR 0
#define UPDATER_VERSION_MINOR 475
#define UPDATER_VERSION_PATCH 0
#define UPDATER_VERSION_BUILD 0

/* FILEVERSION / PRODUCTVERSION take the four numbers as a comma list. */
#define UPDATER_VERSION_NUMBERS 0,475,0,0
/* The string table's FileVersion / ProductVersion, in the traditional "a, b, c, d" form. */
#define UPDATER_VERSION_STRING "0, 475, 0, 0"

#define UPDATER_PRODUCT_NAME "TAVRIN Updater"
#define UPDATER_FILE_DESCRIPTION "TAVRIN Updater"
#define UPDATER_INTERNAL_NAME "Updater"
#define UPDATER_ORIGINAL_FILENAME "Updater.exe"

#endif

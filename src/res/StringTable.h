// Ids of the texts in the executable's string table, shared by the resource
// script and the code that loads them.
#ifndef BRIVOK_STRING_TABLE_H
#define BRIVOK_STRING_TABLE_H

// The file field's Open dialog: its title and the filter it starts with.
#define IDS_BROWSE 65000
#define IDS_ALL_FILES_FILTER 65001
// The message of a name that a file field refuses; %s is the name.
#define IDS_INVALID_FILE_NAME 65002

#endif

// The option sets of the shell's auto-completion and the flags they stand
// for. Portable.
#pragma once

// Each member is the auto-completion object's flag of the same name.
enum TJvAutoCompleteOption : unsigned {
    acoAutoSuggest = 0x1,          // ACO_AUTOSUGGEST
    acoAutoAppend = 0x2,           // ACO_AUTOAPPEND
    acoSearch = 0x4,               // ACO_SEARCH
    acoFilterPrefixes = 0x8,       // ACO_FILTERPREFIXES
    acoUseTab = 0x10,              // ACO_USETAB
    acoUpDownKeyDropsList = 0x20,  // ACO_UPDOWNKEYDROPSLIST
    acoRTLReading = 0x40,          // ACO_RTLREADING
};
using TJvAutoCompleteOptions = unsigned;

// Which shell lists feed a file field's suggestions.
enum TJvAutoCompleteFileOption : unsigned {
    acfFileSystem = 0x1,
    acfFileSysDirs = 0x2,
    acfURLHistory = 0x4,
    acfURLMRU = 0x8,
};
using TJvAutoCompleteFileOptions = unsigned;

// The flags for SetOptions of the auto-completion object: the sum of the
// members' flags; an empty set gives 0.
constexpr unsigned AutoCompleteFlags(TJvAutoCompleteOptions options) {
    return options & 0x7Fu;
}

// Whether the file options ask for the file-system list at all.
constexpr bool WantsFileSystemList(TJvAutoCompleteFileOptions options) {
    return (options & (acfFileSystem | acfFileSysDirs)) != 0;
}

// The file-system list's options: ACLO_FILESYSONLY (0x10), plus
// ACLO_FILESYSDIRS (0x20) with acfFileSysDirs.
constexpr unsigned FileSystemListOptions(TJvAutoCompleteFileOptions options) {
    return (options & acfFileSysDirs) != 0 ? 0x30u : 0x10u;
}

// How the diff file's name ties to the old image's name, and how the new
// image's name is made from the two. Names only: nothing is opened. The cuts
// are at fixed widths, made for names such as live-5.0.5.iso and
// live-5.0.5-to-5.0.6.bsdiff (a five-character version, a four-character
// separator, then the new version).
#pragma once

#include <string>

// True when the diff file's base name begins with the old image's base name,
// byte for byte and case-sensitive. An empty old base name always matches.
bool DiffMatchesImage(const std::string& oldPath, const std::string& diffPath);

// The old image's folder, its base name less the last five characters, the
// diff base name from five characters past the old base name's length on,
// and ".iso".
std::string DeriveNewImageName(const std::string& oldPath, const std::string& diffPath);

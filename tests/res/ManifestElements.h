// An application manifest read back as lines, one per element that says
// something (attributes, text, or no children), so that a test can compare
// every element of it with a table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace support {

// A line is the element's path below the root (the root's own line is its
// name), a namespace written in braces where it changes from the parent's,
// "urn:schemas-microsoft-com:" left out, then the attributes sorted as
// name=value, then the text in double quotes:
//   {asm.v2}trustInfo/security/requestedPrivileges/requestedExecutionLevel
//   level=asInvoker uiAccess=false            (on one line)
// The lines come sorted. Malformed XML gives the single line "malformed: ...".
std::vector<std::string> ManifestElements(std::string_view xml);

}  // namespace support

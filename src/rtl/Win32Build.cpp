// Placeholder until the framework lands.
#include <windows.h>

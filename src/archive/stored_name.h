#pragma once
// The rules a stored name must meet to be written into an archive and out of one again.
#include <string>

namespace vantorel {

// True when Windows takes `name` (a file name without directory) for a device rather than a
// file: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (and COM/LPT with a superscript 1-3), CONIN$
// and CONOUT$, in any case, with any extension, and with the trailing dots and blanks Windows
// strips. Writing to such a name writes to the device, in any folder.
bool IsDeviceName(const std::string& name);

// True when `name` holds the ";" that ends the path in a list of files to compress: such a name
// cannot be asked for, and looking it up would find another entry.
bool HasFieldSeparator(const std::string& name);

}  // namespace vantorel

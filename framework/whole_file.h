// Writing a whole file so that a failure cannot leave it half written.
#pragma once

#include <functional>

#include "framework/object.h"

class TStream;

// Writes the file anew through write, into a temporary file in the same folder that replaces the file only after
// the whole write has reached the disk; the replaced file keeps its attributes. On any failure the file stays as it
// was, byte for byte, and the temporary file goes. A failure of the file names it: EFCreateError "Cannot create
// file "%s". %s" when no file can be made there (a missing folder, a folder of that name), EWriteError "Cannot
// write file "%s". %s" when the writing (a stream error of write) or the replacing fails. Any other exception of
// write passes unchanged.
void SaveWholeFile(const String& fileName, const std::function<void(TStream& stream)>& write);

// Writing a whole file so that a failure cannot leave it half written, nor a reader find it missing.
#pragma once

#include <functional>

#include "framework/object.h"

class TStream;

// Writes the file anew through write, into a temporary file beside it that replaces the file in one step only after
// the whole write has reached the disk, so that a reader in any process finds the old file or the new one, whole.
// The name may be relative, use forward slashes or start with "\\?\"; a symbolic link is written through, into the
// file it points to (made there when it is missing), and stays. The replaced file's attributes stay; a read-only
// file is not written. A file that is missing is made empty first, and goes again when the save fails.
//
// The temporary is named "<file>.~<process>-<n>.tmp" with the first n no file holds, the file's name shortened by
// as much as that adds when it is too long to take it, in characters or in the bytes of UTF-8; a save removes the
// temporaries of saves that ended half-way (killed) that no one holds open. A file that readers hold open is waited for
// a moment.
//
// On any failure the file stays as it was, byte for byte, and the temporary goes. A failure names the file and the
// system's reason: EFCreateError "Cannot create file "%s". %s" when no file can be made there (a missing folder, a
// folder of that name, a read-only file, a name DiskFileError refuses), EWriteError "Cannot write file "%s". %s" when
// the writing (a stream error of write, a full disk) or the replacing (the file still held by another program) fails.
// Any other exception of write passes unchanged.
void SaveWholeFile(const String& fileName, const std::function<void(TStream& stream)>& write);

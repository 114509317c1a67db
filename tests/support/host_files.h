// What tests need of the host under Wine: the host's names of files, and files only the host's own programs make
// (symbolic links, named pipes). Outside Wine each answers that it cannot.
#pragma once

#include <windows.h>

#include <string>

#include "framework/object.h"

// The host's name of a file, or empty outside Wine.
std::string HostName(const String& path);
// The Windows name of a host's file, or empty outside Wine.
String HostFileName(const std::string& hostPath);
// Starts a command of the host's shell, under Wine; a host program gives no handle to wait on, so the caller looks
// for what it does until it is done.
bool StartOnHost(const std::string& command);
// The same for a command whose effects the caller must not look at before it ends: the shell leaves the file
// doneMark names once the command is done (DoneOnHost waits for it).
bool StartOnHost(const std::string& command, const String& doneMark);
// Whether the file a command started so leaves is there within a minute.
bool DoneOnHost(const String& doneMark);
// Whether a file of that name is there: listed in its folder, whatever it is (a link to a device, a pipe).
bool IsListed(const String& path);
// A symbolic link made through the system where it makes them (on Windows, in developer mode); Wine's call makes
// none and says it did, but Wine follows the links of its host: those are made by the host's own program. A
// target without a drive is named as it is given, relative to the link.
bool MakeSymbolicLink(const String& link, const String& target);
// A named pipe of the host's file system, which no one writes, for as long as this lives. The host's own program
// removes it again: the platform's removal of a folder that still holds one leaves the next test's thread without
// its stack.
class THostPipe {
 public:
  explicit THostPipe(String path);
  ~THostPipe();
  THostPipe(const THostPipe&) = delete;
  THostPipe& operator=(const THostPipe&) = delete;

  bool Made() const { return made_; }

 private:
  String path_;
  bool made_;
};

// Whether the condition comes true within a few seconds, or the given number of hundredths of a second.
template <class Condition>
bool Becomes(Condition condition, int hundredths = 500) {
  for (int tries = 0; tries < hundredths; ++tries) {
    if (condition()) return true;
    Sleep(10);
  }
  return false;
}

// Saving and restoring where the dockable windows of a form are: for each window, by its name, the dock it sits
// in (or that it floats, and where), its row and position in the dock, and whether it shows. The values go to a
// store: a section of an INI file per window, or a registry key per window.
#pragma once

#include <windows.h>

#include "framework/ini_files.h"
#include "framework/object.h"

class TComponent;

namespace toolbars {

// Named text values grouped by window name.
class TDockPositionStore {
 public:
  virtual ~TDockPositionStore() = default;
  virtual String Read(const String& window, const String& name, const String& defaultValue) = 0;
  virtual void Write(const String& window, const String& name, const String& value) = 0;
};

// One section per window, named prefix + the window's name.
class TIniDockPositionStore : public TDockPositionStore {
 public:
  TIniDockPositionStore(TCustomIniFile& ini, String prefix) : ini_(ini), prefix_(std::move(prefix)) {}
  String Read(const String& window, const String& name, const String& defaultValue) override;
  void Write(const String& window, const String& name, const String& value) override;

 private:
  TCustomIniFile& ini_;
  String prefix_;
};

// One key per window below root\key; a value that is not text reads as missing.
class TRegistryDockPositionStore : public TDockPositionStore {
 public:
  TRegistryDockPositionStore(HKEY root, String key) : root_(root), key_(std::move(key)) {}
  String Read(const String& window, const String& name, const String& defaultValue) override;
  void Write(const String& window, const String& name, const String& value) override;

 private:
  HKEY root_;
  String key_;
};

// Every dockable window root owns (at any depth of ownership).
void SaveDockablePositions(TComponent* root, TDockPositionStore& store);
// Values that are missing, not numbers or name no dock of root leave that part of the placement as it is.
void LoadDockablePositions(TComponent* root, TDockPositionStore& store);

}  // namespace toolbars

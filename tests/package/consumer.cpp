// Starts the framework, reads a resource the installed sets carry and ends with 0 when everything was found.
#include <framework/startup.h>
#include <framework/streams.h>
#include <framework/strings.h>

int main() {
  InitializeUnit(FrameworkUnit());
  TStringList lines;
  lines.SetText(L"one\r\ntwo");
  TResourceStream logo(GetModuleHandleW(nullptr), L"ADDRESSBOXLOGO", MAKEINTRESOURCEW(2));
  const bool found = lines.Count() == 2 && logo.Size() > 0;
  FinalizeUnits();
  return found ? 0 : 1;
}

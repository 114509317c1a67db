// The system clipboard: its open/close bracket, the formats on it, text and global-memory data by format, the
// OLE clipboard and named formats. One object for the user-interface thread, reached through Clipboard().
#pragma once

#include <objidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "framework/component.h"
#include "framework/exceptions.h"
#include "framework/global_memory.h"

BC_EXCEPTION(EClipboardException, Exception)

class TClipboard : public TPersistent {
  BC_CLASS(TClipboard, TPersistent)
  TClipboard() = default;
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opens the clipboard for a series of reads or writes; opens nest and only the outermost Close closes it. Another
  // window may hold the clipboard for a moment: Open tries again for a short while, then raises EClipboardException
  // "Cannot open clipboard". The first write within an outermost bracket empties the clipboard, later ones add.
  void Open();
  void Close();
  bool IsOpen() const { return openCount_ > 0; }

  void Clear();
  bool HasFormat(UINT format) const;
  // The formats on the clipboard, in the order their owner put them there.
  std::vector<UINT> Formats();

  // The Unicode text on the clipboard (empty when there is none), up to its first terminator.
  String AsText();
  void SetAsText(const String& text);
  // A copy, the caller's, of the global memory on the clipboard in format (empty when there is none). Raises
  // EClipboardException for a format whose data is a GDI object rather than global memory.
  TGlobalMemory GetAsHandle(UINT format);
  // Puts data on the clipboard in format; the clipboard takes the block over, also when the call raises.
  void SetAsHandle(UINT format, TGlobalMemory data);

  // The OLE clipboard, which renders the data object's formats on demand. Set and flush raise EOleSysError when the
  // platform refuses; setting null takes the object this process set off the clipboard.
  void SetOleData(IDataObject* data);
  Microsoft::WRL::ComPtr<IDataObject> GetOleData();
  void FlushOleData();
  bool IsCurrentOleData(IDataObject* data) const;

  // The id of a named format, the same in every process; raises EOSError when the system refuses the name.
  static UINT RegisterFormat(const String& name);
  // The name of a registered format; empty for the predefined formats.
  static String FormatName(UINT format);

 private:
  // Makes a later write the first of the bracket and sends it the block; the bracket is open.
  void PutData(UINT format, TGlobalMemory data);

  HWND window_ = nullptr;
  int openCount_ = 0;
  bool emptied_ = false;
};

// The clipboard object of the user-interface thread, made on first use.
TClipboard& Clipboard();

// Readable names of window messages, for failure output of message-sequence checks.
#pragma once

#include <windows.h>

#include <string>

// "WM_PAINT" for the messages a test commonly meets; "WM_USER+5", "WM_APP+1" or "0xC123" for the others.
std::string MessageName(UINT msg);

// How many more GDI objects the process may make: code that keeps objects lowers it. Counted by making brushes
// until the platform refuses, since not every platform answers GetGuiResources.
#pragma once

int GdiRoom();

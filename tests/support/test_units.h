// Each test program defines which units its area starts, beyond the framework's own.
#pragma once

void StartAreaUnits();

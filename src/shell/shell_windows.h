#pragma once

class WindowCatalogue;

// The windows this folder builds: the daily time record, users, department and group masters.
void addShellWindows(WindowCatalogue& catalogue);

#pragma once

class WindowCatalogue;

// Every window of the program, registered once for the program itself and for whatever draws or walks
// its windows the way the program shows them (the screenshot, the keyboard walk).
void addProgramWindows(WindowCatalogue& catalogue);

#pragma once

// Starts quillex.exe (beside the benchmark) as a new process and returns the seconds
// from its creation until its main window is visible, which it becomes once the class
// tree is filled; then closes it and waits for it to end. Negative when the program
// could not be started, showed no main window within ten minutes or did not end.
double TimeStartup();

#pragma once

struct TreeFigures {
    double fillMin = 0, fillMedian = 0, bareMin = 0, bareMedian = 0;
    int items = 0;
};

// Starts the program on an in-memory machine of `devices` devices and times its tree
// fill against the bare inserts, `runs` times each.
bool RunTreeBench(int devices, int runs, TreeFigures* figures);

// Room kept from one generation to the next.
//
// A generation fills lists of many thousand entries (the refinement's
// answers per element, the size field's grids, the node hash). Freed at
// the end of every run, their memory goes back to the system and comes
// back page by page on the next run; a list here keeps its room instead.
// Each (type, slot) pair is one list of the process: whoever takes it
// empties it first and must not hold it while another part of the same
// run takes the same pair. The meshers run on one thread.
#pragma once

#include <vector>

namespace orvelo {

template <class T, int Slot>
std::vector<T>& KeptList() {
    static std::vector<T> list;
    return list;
}

}  // namespace orvelo

// Opening the input project (operation 8) and reading a project header
// again for the internal forces.
#pragma once

#include <cstdint>
#include <string>

#include "orvelo/model/declar.h"

namespace orvelo {

// Operation 8: makes the project of ProjectPath (folder DataDir, base name
// ProjectName) the project of the run. The project reader checks the .PO1
// and reads its header into SymmetryKind, AnalysisMethod and
// HeaderOption1..13; SystemKind becomes 0, CopyFilesFlag true, and
// CurrentDataDir / CurrentProjectName name the input project. The net,
// outline, openings, lines, single points and grid of an earlier project are
// forgotten; when the project has a .PL6, LoadNet reads its net and its
// .PL8. A project file that fails the check, a header, net or boundary file
// that cannot be read, or a .PL6 without its .PL8 stops the run
// (RunControl().RunState(3)) after one message naming the file; a header
// that cannot be read also empties ProjectName.
void OpenSourceProject();

// Loads the net of CurrentDataDir + CurrentProjectName: the .PL6 through
// the project reader, then the .PL8 (ReadNetBoundaryFile). The net is taken
// over into declar() (and kept as its SourceNet for the transfer) only when
// both files were read. Returns true when they were; otherwise the failure
// has been reported (one message) and false is returned.
bool LoadNet();

// The check LoadNet makes of a net read from path against the boundary read
// with it (d: the outline and openings of the .PL8, whose path it names as
// CurrentDataDir + CurrentProjectName): error 9 naming path and the first
// fault. In this order: a node outside the extent of the outline, openings
// and grid widened by half its larger side; two nodes at one place; an
// element naming a node twice, without area or running clockwise; an
// element with the corners of an element before it; an element running
// along a side in the direction of an element before it (the two overlap);
// then, when the outline and openings close, a node, then an element's
// centroid, outside the slab by more than the net's coincidence tolerance
// (model/net_scale.h), and elements covering more than the slab (its arcs
// followed by chords between the net's nodes on them) beyond that tolerance
// along the border (SlabShape).
void CheckNetGeometry(const ProjectNet& net, const Declar& d, const std::string& path);

// Reads the header of DataDir + name + ".PO1" into the header globals and
// sets HasPointSprings, HasPrescribedDofs, HasBeams and HasPiles, each true
// exactly when its option (5, 6, 7, 13) is 1. Returns 0, or -1 without a
// message when the project file is missing or invalid or its header cannot
// be read (the globals then keep their values). No error exit of its own.
std::int16_t OpenProjectHeader(const std::string& name);

}  // namespace orvelo

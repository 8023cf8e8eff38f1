// The copy of the project file set to the output project (operation 12).
#pragma once

#include <array>
#include <string_view>

namespace orvelo {

// The extensions of the project file set that the copy carries over, in
// the order they are copied (upper case, without the dot).
inline constexpr std::array<std::string_view, 26> ProjectFileExtensions = {
    "PO1", "AUF", "PL6", "PL8", "PL9", "P81", "P91", "P35", "P61", "P71", "P31", "GL1", "GL2",
    "LDH", "DSS", "BAU", "PIL", "P21", "P23", "P41", "PCF", "PCW", "PC1", "PP1", "PT1", "PV1"};

// Operation 12: when CopyFilesFlag is set, copies every file of the set
// that the input project (DataDir + ProjectName) has to OutputDir +
// OutputName with the same extension, replacing an earlier file there;
// files the input project lacks are skipped, and a file is never copied
// onto itself (same path, or the same file under another spelling). Before
// anything is copied, every file is held against the largest size its
// counts can need (LargestProjectFileSize, with the counts of the input
// net): a larger one is refused with a message naming it (error 7), and
// nothing is copied. The copy asks the wait window for Stop as it goes; a
// stop leaves no part of the file in hand and ends the operation. Then
// writes the project net and boundary there as the output project's .PL6
// and .PL8 (WriteNetFiles). Each file appears complete or not at all. A copy
// or write that fails is reported (one message naming the file) and stops
// the run (RunControl().RunState(3)); nothing after it is done.
void CopyProjectFiles();

}  // namespace orvelo

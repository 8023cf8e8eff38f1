// The output project of a run is made in a temporary folder beside its
// place and moved there only when every operation of the run succeeded: a
// stopped or failed run, a full disk or a damaged input never leaves an
// output project that looks complete, and the files of an earlier output of
// the same name are replaced as a whole (none of them stays beside the new
// project).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvelo {

class StagedOutput {
public:
    StagedOutput() = default;
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;
    // Removes the temporary folder unless Commit has moved it into place.
    ~StagedOutput();

    // Creates an empty temporary folder in outputDir for the output project
    // outputName, made from the input project inputDir + inputName. Raises
    // the saving error naming the folder when it cannot be created. While
    // the staging is active, messages name its files by ShownFilePath.
    void Begin(const std::string& outputDir, const std::string& outputName, const std::string& inputDir,
               const std::string& inputName);

    // The temporary folder, with a trailing separator ("" when not active).
    const std::string& Folder() const { return folder_; }
    bool Active() const { return !folder_.empty(); }

    // Moves every file of the temporary folder into the output folder,
    // replacing the files of an earlier output of that name (all of them,
    // whatever their extension or case), and removes the temporary folder.
    // When a file cannot be moved, everything is put back as it was (the
    // earlier output included) and the saving error naming that file is
    // raised; the temporary folder is then removed.
    void Commit();

    // Removes the temporary folder with whatever it holds.
    void Discard();

private:
    std::string folder_;
    std::string outputDir_;
    std::string outputName_;
};

// The longest output project name (bytes) whose temporary folder
// ("~" + name + ".unfinished", with a number added when one exists) a
// folder can hold.
std::size_t LongestOutputName();

// The path a message shows for path: a file of the active staging's
// temporary folder is named, when read, by the input project's file it was
// copied from (when the input has one) and otherwise, and when written, by
// its place in the output folder. Any other path is shown as it is.
std::string ShownFilePath(const std::string& path, bool reading);

// The files of dir named name + "." + an extension (no further dot),
// whatever the case: the file set of the project name there.
std::vector<std::string> ProjectFileSet(const std::string& dir, const std::string& name);

}  // namespace orvelo

// The output project of a run is made in a temporary folder beside its
// place and moved there only when every operation of the run succeeded: a
// stopped or failed run, a full disk or a damaged input never leaves an
// output project that looks complete, and the files of an earlier output of
// the same name are replaced as a whole (none of them stays beside the new
// project).
#pragma once

#include <cstddef>
#include <functional>
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

    // Creates a temporary folder in outputDir for the output project
    // outputName, made from the input project inputDir + inputName, holding
    // only the owner mark of this process. Raises the saving error naming
    // the folder when it cannot be created, and error 58 naming it as what
    // blocks the run when an entry of its name is no folder. While
    // the staging is active, messages name its files by ShownFilePath.
    void Begin(const std::string& outputDir, const std::string& outputName, const std::string& inputDir,
               const std::string& inputName);

    // The temporary folder, with a trailing separator ("" when not active).
    const std::string& Folder() const { return folder_; }
    bool Active() const { return !folder_.empty(); }

    // Moves every file of the temporary folder into the output folder,
    // replacing the files of an earlier output of that name (all of them,
    // whatever their extension or case), and removes the temporary folder.
    // First the folder must hold every file written into it since Begin
    // (NoteStagedFile), each of the size it was written with: otherwise
    // (the folder gone or changed) error 76 names the folder and the first
    // file lost, and nothing is moved. The files are then flushed to the
    // disk; the earlier output moves aside with its project file (.PO1)
    // first, the new files move in with the project file last, and the
    // output folder is flushed: a project file in place always comes with
    // its whole project, and a move cut short (a killed process) is undone
    // by the next run's ResolveLeftoverOutput. When a file cannot be moved,
    // everything is put back as it was (the earlier output included) and
    // the saving error naming that file is raised; the temporary folder is
    // then removed. When a file cannot be put back either, the putting back
    // stops there and the aside and temporary folders stay for the next
    // run's ResolveLeftoverOutput. A folder that cannot be listed is an
    // error, never a folder without files.
    void Commit();

    // Removes the temporary folder with whatever it holds.
    void Discard();

private:
    // Ends the staging and leaves the temporary folder where it is.
    void Release();

    std::string folder_;
    std::string outputDir_;
    std::string outputName_;
};

// The longest output project name (bytes) whose temporary folder
// ("~" + name + ".unfinished", with a number added when one exists) a
// folder can hold.
std::size_t LongestOutputName();

// What the last ResolveLeftoverOutput did, for the status line ("" when
// nothing was left), once: the note is emptied.
std::string TakeLeftoverOutputNote();

// Records that the file at path has been written whole, with its present
// size, or, when it is no longer there, that it has been removed, when it
// lies in the active staging's temporary folder (Commit checks the
// recorded files are still there); any other path is ignored.
void NoteStagedFile(const std::string& path);

// The leftovers of an interrupted run for the output project outputName in
// outputDir, resolved before a run asks whether to replace an output of
// that name: when its project file (.PO1) is not in place, an aside folder
// "~<name>.replaced" (with a number) of the earlier output is put back (the
// part of the new project that reached its place removed first), or, with
// no earlier output, the part of the new project that an interrupted move
// left in place is removed; then every "~<name>.replaced" and
// "~<name>.unfinished" folder is removed. Nothing is done while a
// temporary folder of the name carries the owner mark of a live run (the
// output is that run's). Returns the line telling what was done ("" when
// nothing was left). Raises the saving error of a file that cannot be put
// back.
std::string ResolveLeftoverOutput(const std::string& outputDir, const std::string& outputName);

// One run per output. A run holds the lock of its output name (whatever
// its letter case) from the output step to the end of its Commit: the file
// "~<name in lower case>.lock" in the output folder, locked with flock, so
// that the system drops the lock with the process (a killed run never
// blocks the next one). Its temporary folder carries an owner mark (host,
// process id and the process's start) by which a folder of a run that
// still lives is told from a leftover, also where the lock cannot be had.
class OutputLock {
public:
    OutputLock() = default;
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;
    // Releases the lock.
    ~OutputLock();

    // Takes the lock of outputName in outputDir. Returns "" when the run
    // may write the output, else the message that the output is being
    // written by another run (its lock is held, or a temporary folder of the
    // name carries the mark of a live run); then nothing has been touched.
    // A file system without locks is run on the owner marks alone. Raises
    // the saving error of the lock file when it cannot be made.
    std::string Acquire(const std::string& outputDir, const std::string& outputName);

    // Removes the lock file and drops the lock; harmless when none is held.
    void Release();

private:
    int fd_ = -1;
    std::string path_;
};

// The existing entry that stands for the file at path but is no regular
// file (a folder, a pipe, a device), whatever the case of its name: the
// entry itself or, for a file of the active staging's temporary folder, the
// input project's entry it is copied from. "" when there is none.
std::string NotRegularEntry(const std::string& path);

// Raises error 76 naming the folder, when path lies in the active staging's
// temporary folder and that folder (or the output folder holding it) has
// been removed or moved; does nothing otherwise.
void RequireStagingFolder(const std::string& path);

// True when dir (with or without a trailing separator) is the active
// staging's temporary folder.
bool IsStagingFolder(const std::string& dir);

// Tests only: asked before each rename of Commit (and its putting back, and
// ResolveLeftoverOutput's) with the two paths; an errno value makes that
// rename fail as if the system had returned it, 0 lets it go ahead. An
// empty hook ends it.
using CommitRenameHook = std::function<int(const std::string& from, const std::string& to)>;
void setCommitRenameHook(CommitRenameHook hook);

// The path a message shows for path: a file of the active staging's
// temporary folder is named, when read, by the input project's file it was
// copied from (when the input has one) and otherwise, and when written, by
// its place in the output folder. Any other path is shown as it is.
std::string ShownFilePath(const std::string& path, bool reading);

// The files of dir named name + "." + an extension (no further dot),
// whatever the case: the file set of the project name there.
std::vector<std::string> ProjectFileSet(const std::string& dir, const std::string& name);

}  // namespace orvelo

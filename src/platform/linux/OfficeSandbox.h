#pragma once
#include <QString>
#include <QStringList>

// The office works on documents nobody here wrote: bubblewrap runs it in namespaces of its own, with
// no network (not even this machine's loopback) and a view of the file system that holds what the
// office needs to run and, of the user's files, only its own folder and profile.
struct SandboxPlan {
    // The office's own folder: tmp/ becomes its /tmp (its pipe is made there), in/ holds the documents
    // it is given (read-only to it), out/ is where it writes; in/ and out/ keep their paths inside.
    QString runFolder;
    QString profileFolder;  // read-write, at its own path
    QString binary;         // the office's program
    bool printing = false;  // it prints through the printing system: its socket and the user's printer options
};

// The sandbox's command line, to which the office's own command line is appended.
QStringList SandboxCommand(const SandboxPlan& plan);

// Why no office can be sandboxed on this machine (bubblewrap missing, no user namespaces); the empty
// text when one can. Tried once per process.
QString SandboxProblem();

// The name with which the folders of this process's offices begin (SandboxPlan::runFolder).
QString OfficeRunFolderPrefix();
// Removes the folders of this program's offices, for a program that ends at once (its offices are
// gone, no destructor runs); or those that the offices of programs killed earlier left behind.
enum class RunFoldersOf { ThisProgram, EndedPrograms };
void RemoveOfficeRunFolders(RunFoldersOf whose);

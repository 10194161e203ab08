// What the console tools share: their command line ([LIST], "/disk N" and
// each tool's own switches, read alike), loading the package list, listing
// its problems, and memory running out, which ends either with one message
// and one exit code.
#pragma once
#include <windows.h>

#include <new>

#include "../framework/CArray.h"
#include "../framework/CException.h"
#include "../framework/CString.h"
#include "../package/PackageInfo.h"

// Exit codes both tools give.
const int kToolClean = 0, kToolProblems = 1, kToolNotLoaded = 2;

class ToolCommandLine {
public:
    virtual ~ToolCommandLine() = default;

    // FALSE with *pError when an argument is not understood. "/?" or
    // "--help" anywhere sets m_bHelp and ends the parse.
    BOOL Parse(int argc, char** argv, CString* pError);

    CString m_strList;   // as given; empty: packlist.ini beside the tool
    CArray<int> m_disks; // "/disk N" in the order given, as the wizard numbers them
    BOOL m_bHelp = FALSE;

protected:
    // One of the tool's own switches; lpszValue is the argument after it
    // (NULL at the end). Returns how many arguments it took after the
    // switch (0 or 1), or -1 with *pError when it is not understood.
    virtual int OnSwitch(LPCSTR lpszSwitch, LPCSTR lpszValue, CString* pError) = 0;
};

// Loads the list, or prints why it does not load and returns FALSE.
BOOL LoadPackageList(const CString& strListPath, PackageInfo* pPackage);
// "N problems:" and each one, indented.
void PrintProblems(const CStringArray& problems);
// The tool's usage after what was wrong with its command line; kToolNotLoaded.
int CommandLineWrong(const CString& strError, LPCSTR lpszUsage);

// Says that memory ran out; returns kToolNotLoaded.
int OutOfMemory();

// Runs the tool's work and returns its exit code. Memory running out ends
// it with one message and kToolNotLoaded; what was printed before stands.
// The work must leave nothing half-written behind when it unwinds.
template <class Work>
int RunTool(Work work)
{
    int nResult = kToolNotLoaded;
    try {
        nResult = work();
    } catch (CException* e) {
        e->Delete();
        nResult = OutOfMemory();
    } catch (const std::bad_alloc&) {
        nResult = OutOfMemory();
    }
    return nResult;
}
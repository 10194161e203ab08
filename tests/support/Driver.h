// The end-to-end driver: runs Quorvane.exe (or DiskChanger's copy of it)
// as a separate process and works its windows as a user would, with the
// helpers of Window.h: a test makes a ProgramDir, writes a package into it
// (WritePackage, WriteCorvela), starts a Program, finds the Wizard and
// presses its buttons; RunBuild plays the user at the floppy drive. The
// console programs run with RunConsoleProgram. Waits end after
// kWindowTimeout, so a hang fails the test instead of stopping the suite.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "Window.h"

// A program directory: a copy of Quorvane.exe and the files beside it.
class ProgramDir : public TempDir {
public:
    ProgramDir();
    std::string exe() const { return *this / "Quorvane.exe"; }
};

// A console program of the release (QvCheck.exe, QvImage.exe), copied from
// the build into the program directory and run there: its exit code and
// everything it printed.
struct ConsoleRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};
// A console program that has not ended by then is ended, and says so in its
// output; its exit code stays 0xFFFFFFFF.
const DWORD kConsoleTimeout = 60000;
ConsoleRun RunConsoleProgram(const ProgramDir& dir, const std::string& exeName, const std::string& args = "");

class Program {
public:
    // Starts the program; currentDir empty means the program directory.
    // environment adds "NAME=value" entries to this process's own, such as
    // "=A:=A:\\SUB", the current directory of A: a command prompt passes on.
    explicit Program(const ProgramDir& dir, const std::string& args = "",
                     const std::string& currentDir = "", const std::vector<std::string>& environment = {});
    Program(const std::string& exe, const std::string& args, const std::string& currentDir,
            const std::vector<std::string>& environment = {});
    ~Program();  // a program still running is killed

    // True when the process ended within timeout. While waiting, notes
    // whether any window of the process became visible.
    bool WaitForExit(DWORD timeout = kWindowTimeout);
    bool SawWindow() const { return m_sawWindow; }
    bool Running() const;
    // The exit code of the ended process (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;

    std::vector<HWND> VisibleWindows() const;
    // The first visible top-level window for which match() holds.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeout = kWindowTimeout);
    HWND WaitForCaption(const std::string& caption, DWORD timeout = kWindowTimeout);

    DWORD pid() const { return m_info.dwProcessId; }
    // Runs action with the program's GUI thread held still, so that what
    // action changes happens between two of the program's own steps.
    void WhileFrozen(const std::function<void()>& action);

private:
    PROCESS_INFORMATION m_info;
    bool m_sawWindow = false;
};

// A floppy's files, name to content, as FilesIn reads them from its root.
using Floppy = std::map<std::string, std::string>;
// Every file of a floppy image as the host's mtools reads it, a reader
// that shares nothing with QvImage's writer: name to content. Throws when
// mtools cannot read the image.
Floppy ImageFilesByMtools(const std::string& imagePath);

// The user during a build: at every insert-disk prompt takes the written
// floppy out (kept in floppies) and puts a blank one in, and answers every
// other box with what problem() returns. Returns when the progress dialog
// has closed.
struct BuildRun {
    std::vector<std::string> prompts;
    std::vector<Floppy> floppies;
    std::vector<std::string> problems;
};
// afterPrompt, when given, runs just after the n-th prompt was answered.
// ownFloppy, when given, runs at the n-th prompt before it is answered; when
// it returns true the user has put in a floppy of their own, which stays.
BuildRun RunBuild(Program& program, const std::string& root, const std::function<int(HWND)>& problem,
                  const std::function<void(int)>& afterPrompt = nullptr,
                  const std::function<bool(int)>& ownFloppy = nullptr);
// The same, answering every other box with answer (IDABORT, IDIGNORE ...).
BuildRun RunBuild(Program& program, const std::string& root, int answer);

// The pages from the welcome page on to the one whose Next builds.
const std::vector<std::string> kToBuild = {"Select Disks", "Select Drive", "Get Needed Disks"};

// The wizard sheet of a running program.
class Wizard {
public:
    explicit Wizard(HWND sheet) : m_sheet(sheet) {}
    HWND hwnd() const { return m_sheet; }
    HWND Page() const;
    std::string PageTitle() const { return Text(Page()); }
    std::string PageText(int id) const { return Text(GetDlgItem(Page(), id)); }
    bool Visible(int button) const;
    bool Enabled(int button) const;
    // Posts PSM_PRESSBUTTON (PSBTN_NEXT, PSBTN_BACK, PSBTN_CANCEL, PSBTN_FINISH).
    void Press(int psbtn) const;
    bool WaitForPage(const std::string& title, DWORD timeout = kWindowTimeout) const;
    // Presses Next and waits for the page of that title, and a moment more
    // for the buttons, which the page sets by a posted message.
    bool Next(const std::string& title) const;
    // Next through the pages of these titles in turn (kToBuild: up to the
    // page whose Next builds); false at the first that does not come.
    bool NextThrough(const std::vector<std::string>& titles) const;

private:
    HWND m_sheet;
};

// The program started on the example package (WriteCorvela, its cabinet of
// cabSize bytes) with floppies A: and B: emptied before and after, and its
// wizard once shown (hwnd() is NULL if it never is). license, when given,
// is written to license.txt; packlist replaces the example's list;
// environment is added to the program's.
struct Session {
    explicit Session(size_t cabSize = 300000, const std::string& license = "", const std::string& packlist = "",
                     const std::vector<std::string>& environment = {});
    ~Session();
    // A control of the current page.
    HWND Item(int id) const { return GetDlgItem(wizard.Page(), id); }

    ProgramDir dir;
    Program program;
    Wizard wizard;
};

// The wizard sheet of the program, once it is shown.
HWND WaitForWizard(Program& program, DWORD timeout = kWindowTimeout);
// The program's wizard, taken through kToBuild, with drive A: emptied for
// the build; hwnd() is NULL when the wizard does not get there.
Wizard WizardAtBuildPage(Program& program);

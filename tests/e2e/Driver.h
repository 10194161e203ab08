// The end-to-end driver: runs Quorvane.exe in a program directory of its
// own and works its windows from this separate process, as a user would:
// it reads texts and button states and presses buttons, and never sends a
// blocking message into a window that could answer with a modal box.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../unit/TestFiles.h"

// Times in milliseconds.
const DWORD kWindowTimeout = 15000;

// A program directory: a copy of Quorvane.exe and the files beside it.
class ProgramDir : public TempDir {
public:
    ProgramDir();
    // The example package: two disks of the product Corvela with real files
    // of the given sizes in the disk image directory (the program directory).
    void WriteCorvela(size_t setupSize = 40000, size_t iniSize = 300, size_t cabSize = 300000);
    std::string exe() const { return *this / "Quorvane.exe"; }
};

// A console program of the release (QvCheck.exe, QvImage.exe), copied from
// the build into the program directory and run there: its exit code and
// everything it printed.
struct ConsoleRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};
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

// Waits until cond holds; false after timeout.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeout = kWindowTimeout);

std::string Text(HWND hwnd);
std::string ClassName(HWND hwnd);
bool IsMessageBox(HWND hwnd);
// The text of a message box (its static 0xFFFF).
std::string MessageBoxText(HWND box);
// Presses a dialog button by posting its command.
void PressButton(HWND dialog, int id);

// List boxes of another process.
int ListCount(HWND list);
std::string ListText(HWND list, int index);
LRESULT ListData(HWND list, int index);
int ListSelection(HWND list);
// Clicks an item's check box, or the item itself, as the mouse would.
void ClickCheckBox(HWND list, int index);
void ClickItem(HWND list, int index);
// The window with the keyboard focus in the program's GUI thread.
HWND FocusOf(HWND window);

// A floppy's files: name to content.
using Floppy = std::map<std::string, std::string>;
Floppy FloppyFiles(const std::string& root);

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
BuildRun RunBuild(Program& program, const std::string& root, const std::function<int(HWND)>& problem,
                  const std::function<void(int)>& afterPrompt = nullptr);

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

private:
    HWND m_sheet;
};

// The wizard sheet of the program, once it is shown.
HWND WaitForWizard(Program& program, DWORD timeout = kWindowTimeout);

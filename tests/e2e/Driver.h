// The end-to-end driver: runs Quorvane.exe in a program directory of its
// own and works its windows from this separate process, as a user would:
// it reads texts and button states and presses buttons, and never sends a
// blocking message into a window that could answer with a modal box.
#pragma once
#include <windows.h>

#include <functional>
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

// Bytes that differ from file to file, so a mix-up shows.
std::string SampleBytes(size_t size, unsigned seed);

class Program {
public:
    // Starts the program; currentDir empty means the program directory.
    explicit Program(const ProgramDir& dir, const std::string& args = "",
                     const std::string& currentDir = "");
    ~Program();  // a program still running is killed

    // True when the process ended within timeout. While waiting, notes
    // whether any window of the process became visible.
    bool WaitForExit(DWORD timeout = kWindowTimeout);
    bool SawWindow() const { return m_sawWindow; }
    bool Running() const;

    std::vector<HWND> VisibleWindows() const;
    // The first visible top-level window for which match() holds.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeout = kWindowTimeout);
    HWND WaitForCaption(const std::string& caption, DWORD timeout = kWindowTimeout);

    DWORD pid() const { return m_info.dwProcessId; }

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

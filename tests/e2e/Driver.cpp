#include "Driver.h"

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

namespace {
std::string DriverDirectory()
{
    return TestProgramDirectory();
}
}  // namespace

ProgramDir::ProgramDir()
{
    // The driver lives in build/tests, the program in build.
    std::string built = DriverDirectory() + "\\..\\Quorvane.exe";
    if (!CopyFileA(built.c_str(), exe().c_str(), FALSE))
        throw std::runtime_error("cannot copy " + built);
}

void ProgramDir::WriteCorvela(size_t setupSize, size_t iniSize, size_t cabSize)
{
    Write("packlist.ini",
          "[Global]\r\nName=Corvela\r\n[Disks]\r\nNumber=2\r\n"
          "[Disk0]\r\nFiles=2\r\nFile0=disk1\\setup.exe\r\nFile1=disk1\\setup.ini\r\n"
          "[Disk1]\r\nFiles=1\r\nFile0=disk2\\data.cab\r\n");
    Write("disk1\\setup.exe", SampleBytes(setupSize, 1));
    Write("disk1\\setup.ini", SampleBytes(iniSize, 2));
    Write("disk2\\data.cab", SampleBytes(cabSize, 3));
}

ConsoleRun RunConsoleProgram(const ProgramDir& dir, const std::string& exeName, const std::string& args)
{
    ConsoleRun run;
    std::string exe = dir / exeName;
    std::string built = TestProgramDirectory() + "\\..\\" + exeName;
    if (!CopyFileA(built.c_str(), exe.c_str(), FALSE))
        return run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\" " + args;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, TRUE, 0, NULL, dir.Path().c_str(), &startup, &info)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, NULL) && got > 0)
        run.output.append(buffer, got);
    CloseHandle(readEnd);
    if (WaitForSingleObject(info.hProcess, kWindowTimeout) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return run;
}

Program::Program(const ProgramDir& dir, const std::string& args, const std::string& currentDir,
                 const std::vector<std::string>& environment)
    : Program(dir.exe(), args, currentDir.empty() ? dir.Path() : currentDir, environment)
{
}

Program::Program(const std::string& exe, const std::string& args, const std::string& currentDir,
                 const std::vector<std::string>& environment)
    : m_info()
{
    std::string commandLine = "\"" + exe + "\"";
    if (!args.empty())
        commandLine += " " + args;
    // The added entries first: names starting with '=' sort before the rest.
    std::string block;
    if (!environment.empty()) {
        for (const std::string& entry : environment)
            block += entry + '\0';
        LPCH own = GetEnvironmentStringsA();
        for (LPCH p = own; *p != '\0'; p += strlen(p) + 1)
            block += std::string(p) + '\0';
        FreeEnvironmentStringsA(own);
        block += '\0';
    }
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, block.empty() ? NULL : &block[0],
                        currentDir.c_str(), &si, &m_info))
        throw std::runtime_error("cannot start " + commandLine + ": error " + std::to_string(GetLastError()));
    WaitForInputIdle(m_info.hProcess, 5000);
}

Program::~Program()
{
    if (Running()) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

void Program::WhileFrozen(const std::function<void()>& action)
{
    SuspendThread(m_info.hThread);
    action();
    ResumeThread(m_info.hThread);
}

bool Program::Running() const
{
    return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

bool Program::WaitForExit(DWORD timeout)
{
    DWORD start = GetTickCount();
    while (Running()) {
        if (!VisibleWindows().empty())
            m_sawWindow = true;
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(10);
    }
    return true;
}

namespace {
struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> Program::VisibleWindows() const
{
    WindowSearch search = {m_info.dwProcessId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeout)
{
    HWND found = NULL;
    WaitUntil(
        [&] {
            for (HWND hwnd : VisibleWindows()) {
                if (match(hwnd)) {
                    found = hwnd;
                    return true;
                }
            }
            return !Running();
        },
        timeout);
    return found;
}

HWND Program::WaitForCaption(const std::string& caption, DWORD timeout)
{
    return WaitForWindow([&](HWND hwnd) { return Text(hwnd) == caption; }, timeout);
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeout)
{
    DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(10);
    }
    return true;
}

std::string Text(HWND hwnd)
{
    if (hwnd == NULL)
        return "";
    char buffer[4096] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "";
    return std::string(buffer, length);
}

std::string ClassName(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

bool IsMessageBox(HWND hwnd)
{
    // A message box's text is static 0xFFFF; in a dialog template that id
    // (-1) also marks frames and labels, so the class must match too.
    return ClassName(hwnd) == "#32770" && ClassName(GetDlgItem(hwnd, 0xFFFF)) == "Static";
}

std::string MessageBoxText(HWND box)
{
    return Text(GetDlgItem(box, 0xFFFF));
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND Wizard::Page() const
{
    DWORD_PTR page = 0;
    SendMessageTimeoutA(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return reinterpret_cast<HWND>(page);
}

bool Wizard::Visible(int button) const
{
    HWND hwnd = GetDlgItem(m_sheet, button);
    return hwnd != NULL && IsWindowVisible(hwnd);
}

bool Wizard::Enabled(int button) const
{
    HWND hwnd = GetDlgItem(m_sheet, button);
    return hwnd != NULL && IsWindowEnabled(hwnd);
}

void Wizard::Press(int psbtn) const
{
    PostMessageA(m_sheet, PSM_PRESSBUTTON, psbtn, 0);
}

bool Wizard::WaitForPage(const std::string& title, DWORD timeout) const
{
    return WaitUntil([&] { return PageTitle() == title; }, timeout);
}

HWND WaitForWizard(Program& program, DWORD timeout)
{
    // The sheet is the window with the wizard's Next button.
    return program.WaitForWindow([](HWND hwnd) { return GetDlgItem(hwnd, 0x3024) != NULL; },
                                 timeout);
}

int ListCount(HWND list)
{
    DWORD_PTR count = 0;
    SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    return static_cast<int>(count);
}

std::string ListText(HWND list, int index)
{
    // The wide form is what Wine carries between processes.
    wchar_t wide[1024] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 5000,
                        &length);
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), NULL, NULL);
    return text;
}

LRESULT ListData(HWND list, int index)
{
    DWORD_PTR data = 0;
    SendMessageTimeoutA(list, LB_GETITEMDATA, index, 0, SMTO_ABORTIFHUNG, 5000, &data);
    return static_cast<LRESULT>(data);
}

int ListSelection(HWND list)
{
    DWORD_PTR selection = 0;
    SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    return static_cast<int>(selection);
}

namespace {
void Click(HWND list, int x, int index)
{
    DWORD_PTR height = 0;
    SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
    LPARAM at = MAKELPARAM(x, index * static_cast<int>(height) + static_cast<int>(height) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Sleep(200);
}
}  // namespace

void ClickCheckBox(HWND list, int index)
{
    Click(list, 6, index);
}

void ClickItem(HWND list, int index)
{
    Click(list, 80, index);
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info);
    return info.hwndFocus;
}

Floppy FloppyFiles(const std::string& root)
{
    return FilesIn(root);
}

BuildRun RunBuild(Program& program, const std::string& root, const std::function<int(HWND)>& problem,
                  const std::function<void(int)>& afterPrompt)
{
    BuildRun run;
    HWND progress = program.WaitForCaption("Copying Files");
    while (progress != NULL && IsWindow(progress)) {
        HWND box = program.WaitForWindow(IsMessageBox, 200);
        if (box == NULL)
            continue;
        std::string text = MessageBoxText(box);
        if (text.rfind("Please label", 0) == 0) {
            run.prompts.push_back(text);
            Floppy written = FloppyFiles(root);
            if (!written.empty()) {
                run.floppies.push_back(written);
                RemoveContents(root);
            }
            PressButton(box, IDOK);
            if (afterPrompt)
                afterPrompt(static_cast<int>(run.prompts.size()));
        } else {
            run.problems.push_back(text);
            PressButton(box, problem(box));
        }
        WaitUntil([&] { return !IsWindow(box); });
    }
    Floppy last = FloppyFiles(root);
    if (!last.empty())
        run.floppies.push_back(last);
    return run;
}

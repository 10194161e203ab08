#include "Driver.h"

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

ProgramDir::ProgramDir()
{
    // The driver lives in build/tests, the program in build.
    std::string built = TestProgramDirectory() + "\\..\\Quorvane.exe";
    if (!CopyFileA(built.c_str(), exe().c_str(), FALSE))
        throw std::runtime_error("cannot copy " + built);
}

namespace {
// Runs a command line in currentDir and catches what it prints; the
// program is the command line's first word unless application names it.
// A Linux program started through Wine is not seen to end: with
// bWaitForEnd false it is only started, and tells its end some other way.
ConsoleRun RunCommand(std::string commandLine, const std::string& currentDir, const char* application = NULL,
                      bool bWaitForEnd = true)
{
    ConsoleRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    // Nothing to read: the programs run here read no input, and ctest may
    // give this process none worth passing on.
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, NULL);
    startup.hStdInput = nothing;
    PROCESS_INFORMATION info = {};
    // Wine fails a start now and then; twice more, as Program does.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0)
            Sleep(200);
        started = CreateProcessA(application, &commandLine[0], NULL, NULL, TRUE, 0, NULL, currentDir.c_str(),
                                 &startup, &info);
    }
    CloseHandle(nothing);
    if (!started) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    if (!bWaitForEnd) {
        CloseHandle(readEnd);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        return run;
    }
    // A program that spins, with or without output, is ended at the
    // deadline: it must not outlive its test or keep the suite waiting.
    char buffer[4096];
    DWORD got = 0, waiting = 0;
    bool ended = WaitUntil(
        [&] {
            // Drained after the end is seen, so that nothing written is lost.
            bool exited = WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
            for (;;) {
                waiting = 0;
                if (!PeekNamedPipe(readEnd, NULL, 0, NULL, &waiting, NULL) || waiting == 0 ||
                    !ReadFile(readEnd, buffer, sizeof(buffer), &got, NULL) || got == 0)
                    break;
                run.output.append(buffer, got);
            }
            return exited;
        },
        kConsoleTimeout);
    if (ended) {
        GetExitCodeProcess(info.hProcess, &run.exitCode);
    } else {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
        run.output += "\n[" + commandLine + " did not end in time and was ended]\n";
    }
    CloseHandle(readEnd);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return run;
}
}  // namespace

ConsoleRun RunConsoleProgram(const ProgramDir& dir, const std::string& exeName, const std::string& args)
{
    std::string exe = dir / exeName;
    std::string built = TestProgramDirectory() + "\\..\\" + exeName;
    if (!CopyFileA(built.c_str(), exe.c_str(), FALSE))
        return ConsoleRun();
    return RunCommand("\"" + exe + "\" " + args, dir.Path());
}

Floppy ImageFilesByMtools(const std::string& imagePath)
{
    // Wine starts a Linux program in the Linux directory of the one it is
    // given, so relative names need no translation. Neither its output nor
    // its exit nor its exit code come back through Wine: the shell leaves
    // them in files, the status last. Wine's Linux names are UTF-8.
    TempDir work;
    if (!CopyFileA(imagePath.c_str(), (work / "image.img").c_str(), FALSE) ||
        !CreateDirectoryA((work / "files").c_str(), NULL))
        throw std::runtime_error("cannot copy " + imagePath);
    RunCommand("sh -c \"LC_ALL=C.UTF-8 mcopy -n -m -i image.img '::/*' files >said 2>&1; echo $? >done.tmp; "
               "mv done.tmp done\"",
               work.Path(), "Z:\\bin\\sh", false);
    if (!WaitUntil([&] { return FileExists(work / "done"); }))
        throw std::runtime_error("mcopy did not finish reading " + imagePath);
    std::string status = ReadFileBytes(work / "done");
    if (status != "0\n")
        throw std::runtime_error("mcopy cannot read " + imagePath + " (exit code " + status.substr(0, status.find('\n')) +
                                 "): " + ReadFileBytes(work / "said"));
    return FilesIn(work / "files");
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
    // On a loaded machine Wine has been seen to fail a start now and then;
    // a program that cannot start at all still fails every try.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, block.empty() ? NULL : &block[0],
                           currentDir.c_str(), &si, &m_info))
            break;
        if (attempt == 3)
            throw std::runtime_error("cannot start " + commandLine + ": error " + std::to_string(GetLastError()));
        Sleep(200);
    }
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
    return WaitUntil(
        [&] {
            if (!VisibleWindows().empty())
                m_sawWindow = true;
            return !Running();
        },
        timeout);
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

HWND Wizard::Page() const
{
    return reinterpret_cast<HWND>(Ask(m_sheet, PSM_GETCURRENTPAGEHWND));
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

bool Wizard::Next(const std::string& title) const
{
    Press(PSBTN_NEXT);
    if (!WaitForPage(title))
        return false;
    Sleep(100);
    return true;
}

bool Wizard::NextThrough(const std::vector<std::string>& titles) const
{
    for (const std::string& title : titles) {
        if (!Next(title))
            return false;
    }
    return true;
}

HWND WaitForWizard(Program& program, DWORD timeout)
{
    // The sheet is the window with the wizard's Next button.
    return program.WaitForWindow([](HWND hwnd) { return GetDlgItem(hwnd, kNext) != NULL; },
                                 timeout);
}

namespace {
const ProgramDir& Prepared(const ProgramDir& dir, size_t cabSize, const std::string& license,
                           const std::string& packlist)
{
    WriteCorvela(dir, 40000, 300, cabSize);
    if (!packlist.empty())
        dir.Write("packlist.ini", packlist);
    if (!license.empty())
        dir.Write("license.txt", license);
    RemoveContents("A:");
    RemoveContents("B:");
    return dir;
}
}  // namespace

Session::Session(size_t cabSize, const std::string& license, const std::string& packlist,
                 const std::vector<std::string>& environment)
    : program(Prepared(dir, cabSize, license, packlist), "", "", environment), wizard(WaitForWizard(program))
{
}

Session::~Session()
{
    RemoveContents("A:");
    RemoveContents("B:");
}

Wizard WizardAtBuildPage(Program& program)
{
    Wizard wizard(WaitForWizard(program));
    RemoveContents("A:");
    return wizard.hwnd() != NULL && wizard.NextThrough(kToBuild) ? wizard : Wizard(NULL);
}

BuildRun RunBuild(Program& program, const std::string& root, const std::function<int(HWND)>& problem,
                  const std::function<void(int)>& afterPrompt, const std::function<bool(int)>& ownFloppy)
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
            Floppy written = FilesIn(root);
            if (ownFloppy && ownFloppy(static_cast<int>(run.prompts.size()))) {
                // the user's floppy goes in as it is
            } else if (!written.empty()) {
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
    Floppy last = FilesIn(root);
    if (!last.empty())
        run.floppies.push_back(last);
    return run;
}

BuildRun RunBuild(Program& program, const std::string& root, int answer)
{
    return RunBuild(program, root, [answer](HWND) { return answer; });
}

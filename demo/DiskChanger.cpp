// The disk changer: runs Quorvane.exe and stands beside it like a patient
// helper at the floppy drive. Whenever the program asks for a disk, the
// floppy written since the last swap is handed to the Linux side to be kept
// as a disk image (it writes spool\request.txt with the disk's label and
// waits for spool\done.txt), and a blank floppy is put in. The last disk is
// handed over when the build ends.
//
// With --demo it is also the user: it walks every page of the wizard,
// builds every disk and photographs each page and dialog on the way.
//
//   DiskChanger.exe <Quorvane.exe> <floppy root, such as A:> <spool dir> [--demo]
//
// Its exit code is Quorvane's when that is not 0, else 1 when a disk could
// not be kept.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include "Clock.h"
#include "Driver.h"
#include "Screenshot.h"
#include "res/resource.h"

namespace {
std::string g_floppy;
std::string g_spool;

// Hands the floppy's files to the Linux side, which saves them as the image
// of this disk and empties the floppy.
bool SaveFloppy(const std::string& label)
{
    if (FilesIn(g_floppy).empty())
        return true;
    std::string done = g_spool + "\\done.txt";
    DeleteFileA(done.c_str());
    WriteFileBytes(g_spool + "\\request.tmp", label);
    MoveFileA((g_spool + "\\request.tmp").c_str(), (g_spool + "\\request.txt").c_str());
    if (!WaitUntil([&] { return FileExists(done); }, 60000)) {
        printf("disk changer: no answer while saving %s\n", label.c_str());
        return false;
    }
    std::string result = ReadFileBytes(done);
    DeleteFileA(done.c_str());
    printf("%s", result.c_str());
    fflush(stdout);
    return result.rfind("saved", 0) == 0;
}

// The disk label in an insert-disk prompt: the text between the quotes.
std::string LabelOf(const std::string& prompt)
{
    size_t open = prompt.find('\'');
    size_t close = prompt.find('\'', open + 1);
    return open == std::string::npos || close == std::string::npos ? "" : prompt.substr(open + 1, close - open - 1);
}

std::string DirectoryOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\'));
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: DiskChanger.exe <Quorvane.exe> <floppy root> <spool dir> [--demo]\n");
        return 2;
    }
    std::string exe = argv[1];
    g_floppy = argv[2];
    g_spool = argv[3];
    bool demo = argc > 4 && std::string(argv[4]) == "--demo";

    Program program(exe, "", DirectoryOf(exe));
    std::set<HWND> handled;
    std::string label, page;
    int shots = 0;
    bool ok = true;  // every disk was saved
    double start = Now();
    HWND progress = NULL;
    auto shoot = [&](const std::string& name, unsigned settle = 300) {
        if (!demo)
            return;
        char file[128];
        int n = snprintf(file, sizeof(file), "%02d-", ++shots);
        for (char c : name) {  // "Disk 1 - Corvela" becomes disk-1-corvela
            if (n < static_cast<int>(sizeof(file)) - 1 && isalnum(static_cast<unsigned char>(c)))
                file[n++] = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            else if (n > 3 && n < static_cast<int>(sizeof(file)) - 1 && file[n - 1] != '-')
                file[n++] = '-';
        }
        file[n] = '\0';
        SaveScreenshot(file, settle);
    };

    while (program.Running()) {
        if (demo && Now() - start > 180) {
            printf("demo: the wizard did not finish in time\n");
            return 1;
        }
        for (HWND window : program.VisibleWindows()) {
            if (handled.count(window))
                continue;
            if (Text(window) == "Copying Files") {
                progress = window;
            } else if (IsMessageBox(window)) {
                handled.insert(window);
                std::string text = MessageBoxText(window);
                if (text.rfind("Please label", 0) == 0) {
                    // Hold the OK button while the floppies are swapped.
                    HWND okButton = GetDlgItem(window, IDOK);
                    EnableWindow(okButton, FALSE);
                    ok = SaveFloppy(label) && ok;
                    label = LabelOf(text);
                    EnableWindow(okButton, TRUE);
                    if (demo) {
                        shoot("insert " + label);
                        PressButton(window, IDOK);
                        HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
                        if (WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) >= 25; }, 5000))
                            shoot("copying " + label, 0);
                    }
                } else if (demo) {
                    // Anything else is a problem the demonstration cannot solve.
                    printf("demo: the program says: %s\n", text.c_str());
                    shoot("problem");
                    return 1;  // the program is ended with the changer
                }
            }
        }
        if (progress != NULL && !IsWindow(progress)) {
            progress = NULL;
            ok = SaveFloppy(label) && ok;
        }
        if (demo && progress == NULL) {
            HWND sheet = WaitForWizard(program, 0);
            Wizard wizard(sheet);
            std::string title = sheet != NULL ? wizard.PageTitle() : "";
            if (!title.empty() && title != page && IsWindowEnabled(sheet)) {
                page = title;
                Sleep(200);  // the buttons follow the page by a posted message
                shoot(title);
                wizard.Press(wizard.Visible(kFinish) ? PSBTN_FINISH : PSBTN_NEXT);
            }
        }
        Sleep(50);
    }
    // The wizard's own word: 0 only when it ended on its completion page.
    DWORD code = program.ExitCode();
    if (code != 0) {
        printf("Quorvane.exe ended with exit code %lu\n", code);
        return static_cast<int>(code);
    }
    return ok ? 0 : 1;
}

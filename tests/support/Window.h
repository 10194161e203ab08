// Windows seen from a test: their texts, message boxes, buttons and list
// boxes, and waiting for something to happen. Works on windows of this
// process and of another alike: every message goes with a timeout, and
// nothing that could open a modal box is sent, only posted, so a test
// never blocks on the window it watches.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// How long to wait for a window or a change, in milliseconds.
const DWORD kWindowTimeout = 15000;
// Once the running test has failed (the harness in FailFast.h sets this),
// its verdict is in: every wait gives up after a second, so a failed test
// ends in seconds instead of waiting out each step it can no longer pass.
extern volatile LONG g_testFailed;
const DWORD kFailedTestTimeout = 1000;

// The wizard sheet's own buttons, as the property sheet numbers them; a
// test presses them with PSM_PRESSBUTTON and reads them by these ids.
const int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;

// Waits until cond holds, dispatching this thread's messages meanwhile
// (so windows of the test itself keep working); false after timeout.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeout = kWindowTimeout);

// Sends a message that must answer within five seconds (0 if it does not).
DWORD_PTR Ask(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// A window's text ("" for no window), and its class name.
std::string Text(HWND hwnd);
std::string ClassName(HWND hwnd);

// A message box: a dialog whose text is the static 0xFFFF. In a dialog
// template that id (-1) also marks frames and labels, so the class counts.
bool IsMessageBox(HWND hwnd);
std::string MessageBoxText(HWND box);
// Presses a dialog button (a message box's IDOK, IDYES ...) by posting its
// command, as a click would.
void PressButton(HWND dialog, int id);
// The button that leaves a message box of this type without going on:
// Cancel, Abort or No where it has one, else OK.
int WayOut(UINT type);

// List boxes.
int ListCount(HWND list);
std::string ListText(HWND list, int index);
LRESULT ListData(HWND list, int index);
int ListSelection(HWND list);
// Clicks an item's check box, or the item itself, as the mouse would; done
// when it returns (a click on a list opens no box, so it is sent).
void ClickCheckBox(HWND list, int index);
void ClickItem(HWND list, int index);
// The window with the keyboard focus in window's GUI thread.
HWND FocusOf(HWND window);

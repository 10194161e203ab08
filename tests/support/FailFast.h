// The harness that makes a failed test end in seconds and leave nothing
// behind: from the first failed check on, waits give up within a second
// (Window.h), and a message box of the test program that stays open is
// answered with its way out. Each test's main installs it before running.
#pragma once

void InstallFailFast();

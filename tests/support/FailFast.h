// The harness that makes a failed test end in seconds and leave nothing
// behind: from the first failed check on, waits give up within a second
// (Window.h), a message box of the test program that stays open is
// answered with its way out, and a test that does not end (30 seconds
// after its first failed check, or in two minutes) ends the test program,
// saying which test it was. Each test's main installs it before running.
#pragma once

void InstallFailFast();

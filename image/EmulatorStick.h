// EmulatorStick: the root of a USB floppy emulator's stick, as a set is
// laid out on it: the disks as numbered slots (DSKA0000.IMG, ...), FF.CFG
// asking the firmware to find them by number (written only where there is
// none: the user's is never changed), DISKS.TXT naming the disk in each
// slot, and the slots of an earlier set that this one did not replace.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"

class EmulatorStick {
public:
    // lpszRoot ends in a backslash (or is empty: the current directory).
    explicit EmulatorStick(LPCSTR lpszRoot) : m_strRoot(lpszRoot) {}

    // The firmware finds images by number, from slot 0 on.
    static CString SlotName(int nSlot);
    CString SlotPath(int nSlot) const { return m_strRoot + SlotName(nSlot); }

    enum Config {
        kConfigWritten,   // there was none: ours says nav-mode = indexed
        kConfigIndexed,   // the user's, and it sets nav-mode = indexed
        kConfigOther,     // the user's, without it: left as it is
    };
    // FF.CFG as the set needs it. NO_ERROR, or why it could not be written.
    DWORD SetUpConfig(Config* pConfig) const;
    // Whether a configuration's text sets nav-mode = indexed, its last word
    // on it counting; spaces and case do not matter, a # starts a comment.
    static bool SetsIndexedNavigation(const CString& strText);

    // DISKS.TXT for the first slots holding the disks of these labels, and
    // its text. NO_ERROR, or why it could not be written.
    DWORD WriteDiskList(const CStringArray& labels) const;
    static CString DiskList(const CStringArray& labels);

    // The slots beyond the first nSlots, in name order: another set's, or
    // the user's, and never touched.
    CStringArray OlderSlots(int nSlots) const;

private:
    CString m_strRoot;
};

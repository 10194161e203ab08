#include "GuiTest.h"

#include <commctrl.h>

#include "app/QuorvaneDlg.h"

HWND Page(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Press(HWND sheet, int psbtn)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, psbtn, 0);
}

std::vector<MessageBoxCall> RunWizard(const std::vector<CPropertyPage*>& pages,
                                      std::vector<std::function<void(HWND)>> steps,
                                      std::function<int(const MessageBoxCall&)> answer)
{
    CQuorvaneDlg sheet;
    for (CPropertyPage* page : pages)
        sheet.AddPage(page);
    if (!answer)
        answer = [](const MessageBoxCall& box) { return (box.type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK; };
    MessageBoxAnswerer answerer(answer);
    steps.push_back([](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    std::function<void(size_t)> run = [&](size_t i) {
        Later(150, [&, i] {
            steps[i](sheet.m_hWnd);
            if (i + 1 < steps.size())
                run(i + 1);
        });
    };
    run(0);
    sheet.DoModal();
    return answerer.calls;
}

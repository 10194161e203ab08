#include "SystemError.h"

CString SystemErrorText(DWORD dwError)
{
    char szText[256];
    DWORD nLength = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError,
                                     0, szText, sizeof(szText), NULL);
    while (nLength > 0 && (szText[nLength - 1] == '.' || static_cast<BYTE>(szText[nLength - 1]) <= ' '))
        --nLength;
    CString strText;
    if (nLength == 0)
        strText.Format("error %lu", dwError);
    else
        strText = CString(szText, static_cast<int>(nLength));
    return strText;
}

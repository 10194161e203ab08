#include "LongName.h"

namespace {
// Where an entry keeps its 13 characters.
const int kCharOffsets[LongName::kPieceChars] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
}  // namespace

namespace LongName {
BYTE Checksum(const BYTE shortName[11])
{
    BYTE sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<BYTE>(((sum & 1) << 7) + (sum >> 1) + shortName[i]);
    return sum;
}

void PutPiece(BYTE* entry, int nPiece, int nPieces, BYTE nChecksum, const WCHAR* name, int nChars)
{
    entry[0] = static_cast<BYTE>(nPiece | (nPiece == nPieces ? kLastPiece : 0));
    entry[11] = kAttribute;
    entry[13] = nChecksum;
    for (int i = 0; i < kPieceChars; ++i) {
        int nChar = (nPiece - 1) * kPieceChars + i;
        WORD wch = nChar < nChars ? name[nChar] : nChar == nChars ? 0 : 0xFFFF;
        entry[kCharOffsets[i]] = static_cast<BYTE>(wch);
        entry[kCharOffsets[i] + 1] = static_cast<BYTE>(wch >> 8);
    }
}

int GetPiece(const BYTE* entry, WCHAR* name, int* pnLength)
{
    int nPiece = entry[0] & 0x1F;
    for (int i = 0; i < kPieceChars && nPiece >= 1; ++i) {
        int nChar = (nPiece - 1) * kPieceChars + i;
        WORD wch = static_cast<WORD>(entry[kCharOffsets[i]] | (entry[kCharOffsets[i] + 1] << 8));
        if (nChar < kMostChars && wch != 0 && wch != 0xFFFF) {
            name[nChar] = wch;
            if (nChar + 1 > *pnLength)
                *pnLength = nChar + 1;
        }
    }
    return nPiece;
}
}  // namespace LongName

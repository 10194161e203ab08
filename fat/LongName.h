// LongName: how a FAT directory keeps a long name: in pieces of 13 UTF-16
// characters, each in a directory entry of its own before the 8.3 entry,
// the last piece first and marked, every piece tied to its alias by the
// alias's checksum. The image writer lays them out, its reader takes them
// apart, and the root's count of entries asks how many a name takes.
#pragma once
#include <windows.h>

namespace LongName {
const BYTE kAttribute = 0x0F;  // the attribute byte of a piece
const BYTE kLastPiece = 0x40;  // marks the piece that comes first
const int kMostChars = 255;
const int kPieceChars = 13;

// Directory entries a long name of nChars UTF-16 characters takes besides
// its 8.3 entry.
inline int Pieces(int nChars)
{
    return (nChars + kPieceChars - 1) / kPieceChars;
}

// The checksum of an alias as its directory entry holds it (11 bytes), kept
// in every piece of its long name.
BYTE Checksum(const BYTE shortName[11]);

// Writes piece nPiece (from 1) of name, nChars long, into the 32-byte
// entry: the name's end is marked with a 0, the rest filled with FFFFh.
void PutPiece(BYTE* entry, int nPiece, int nPieces, BYTE nChecksum, const WCHAR* name, int nChars);

// Puts the characters of the piece in entry into name (kMostChars long) at
// their place; *pnLength grows to cover them. The piece's number (from 1).
int GetPiece(const BYTE* entry, WCHAR* name, int* pnLength);
}  // namespace LongName

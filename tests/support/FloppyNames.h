// What the floppy rule made of a disk, as one line a test can compare:
// each slot as "long name | SHORT.EXT | directory entries | entry there now",
// slots joined by "; ". For tests that link the package library.
#pragma once
#include <string>

#include "fat/FloppyFiles.h"

inline std::string DescribeSlots(const FloppyFiles& files)
{
    std::string text;
    for (int i = 0; i < files.GetSize(); ++i) {
        const FloppyFile& file = files[i];
        text += (i > 0 ? "; " : "") + std::string(file.strName) + " | " + std::string(file.strShortName) + " | " +
                std::to_string(file.RootEntries()) + " | " + std::string(file.strEntry);
    }
    return text;
}

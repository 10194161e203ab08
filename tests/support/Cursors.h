// Everything a cursor of the program's hands out, in order, for tests that
// look at a package's disks or the drive list as a whole:
//   Items<DiskInfo>(DiskCursor(&package)), Items<DriveInfo>(DriveCursor(&list))
#pragma once
#include <vector>

template <class Item, class Cursor>
std::vector<Item*> Items(Cursor&& cursor)
{
    std::vector<Item*> items;
    Item* item = nullptr;
    while (cursor.Next(&item))
        items.push_back(item);
    return items;
}

#pragma once

// The Bin of the desktop: the freedesktop.org Trash that file managers show and restore from.
//
// A file on the same file system as the user's data folder goes to the home trash,
// $XDG_DATA_HOME/Trash. A file on another file system (a USB stick, a second disk) goes to the
// trash at the top of that file system: $topdir/.Trash/$uid when the administrator has prepared a
// shared .Trash folder (a real folder with the sticky bit), else $topdir/.Trash-$uid. Either way
// the item is renamed into the trash's files/ folder and described by a .trashinfo file in info/
// (its original path, percent-encoded, and the deletion date), so it can be put back.
//
// Nothing is ever copied or deleted: when no trash on the item's own file system can take it, the
// call fails with a message and the item stays where it was. Safe to call from any thread; two
// calls never take the same name in a trash, even from two processes.

#include "platform/system/Status.h"

#include <filesystem>

namespace sonvale {

// Moves `path` (a file, a folder with its content, or a symbolic link itself, never its target)
// to the Bin. On success `trashedPath`, when given, receives where the item now lies.
Status moveToTrash(const std::filesystem::path& path, std::filesystem::path* trashedPath = nullptr);

} // namespace sonvale

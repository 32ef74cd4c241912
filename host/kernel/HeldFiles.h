// The files the client holds for itself (its database, its configuration stores): "File.File"
// refuses to put anything in their place, however the target's path is spelt.
#pragma once

namespace HeldFiles {

// Counted: a path held twice stays held until it is released twice.
void hold(const wchar_t* path);
void release(const wchar_t* path);
// Whether path names a held file: the same file (volume and file index) when both exist, else
// the same full path in any letter case (a store not yet written has no file to compare).
bool holds(const wchar_t* path);

} // namespace HeldFiles

// Carrying a file's owner, group, mode and extended attributes (its ACL
// among them) over to the new file that takes its name.
#pragma once

// All of them from the file open as `old` to `fd`, and none that `fd` got
// by itself; false when something could not be carried over.
bool carry_attributes(int fd, int old);

// What this process may give: as another user, the group only if it is one
// of the user's, the permission bits and the ACL.
void carry_permitted_attributes(int fd, int old);

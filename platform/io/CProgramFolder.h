#pragma once
// The folder of the running executable, read from /proc/self/exe with every link resolved: the
// program and its tools find their plug-ins and read-only files beside themselves, in the build tree,
// under any installation prefix and in the package alike (/usr/bin/melvane links to /usr/lib/melvane).

#include <string>

class CProgramFolder {
public:
    // Without a trailing slash; "." when the executable cannot be named.
    static std::string Path();
};

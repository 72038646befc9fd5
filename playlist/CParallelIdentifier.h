#pragma once
// Identifies many files at once: a few worker threads, each with an identifier of its own, take the
// paths in turn, and the results come back in the paths' order. Opening and reading each file is
// what a long list costs (an M3U of thousands of files), so the files are read side by side. Short
// lists, and identifiers that cannot work on other threads, are identified on the calling thread.
//
// Threads: called on the user-interface thread, which waits until every path is identified; the
// workers touch only their own identifier and their own results.

#include "core/CPlaylistEntry.h"

#include <string>
#include <vector>

class IEntryIdentifier;

class CParallelIdentifier {
public:
    static constexpr std::size_t kMinimumForThreads = 64;
    static constexpr unsigned kMaximumThreads = 4;

    struct Result {
        bool known = false; // identified with a non-zero type
        CPlaylistEntry entry;
    };

    static std::vector<Result> Identify(IEntryIdentifier &identifier, const std::vector<std::string> &paths);
};

#include "playlist/CParallelIdentifier.h"

#include "playlist/IEntryIdentifier.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace {

void IdentifyFrom(IEntryIdentifier &identifier, const std::vector<std::string> &paths,
                  std::vector<CParallelIdentifier::Result> &results, std::atomic<std::size_t> &next)
{
    for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < paths.size();) {
        CParallelIdentifier::Result &result = results[i];
        result.known = identifier.Identify(paths[i], result.entry) && result.entry.m_nType != kTypeUnknown;
    }
}

} // namespace

std::vector<CParallelIdentifier::Result> CParallelIdentifier::Identify(IEntryIdentifier &identifier,
                                                                      const std::vector<std::string> &paths)
{
    std::vector<Result> results(paths.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::unique_ptr<IEntryIdentifier>> helpers;
    if (paths.size() >= kMinimumForThreads) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 1; i < std::min(cores, kMaximumThreads); ++i)
            if (auto helper = identifier.CloneForWorker())
                helpers.push_back(std::move(helper));
    }
    std::vector<std::thread> workers;
    for (auto &helper : helpers) {
        try {
            workers.emplace_back([&, id = helper.get()] { IdentifyFrom(*id, paths, results, next); });
        } catch (const std::system_error &) {
            break; // no thread to be had: the calling thread does the rest
        }
    }
    IdentifyFrom(identifier, paths, results, next);
    for (std::thread &worker : workers)
        worker.join();
    return results;
}

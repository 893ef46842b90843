#pragma once
// Runs fn(i) for i in [0, n) on every core. fn must only touch what belongs to its index.
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace qv {

template <typename Fn>
void parallelFor(int n, Fn fn) {
    const int workers = std::clamp(int(std::thread::hardware_concurrency()), 1, 16);
    if (workers == 1 || n < 2 * workers) {
        for (int i = 0; i < n; ++i) fn(i);
        return;
    }
    std::atomic<int> next{0};
    auto run = [&] {
        for (int i = next++; i < n; i = next++) fn(i);
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < workers; ++t) threads.emplace_back(run);
    run();
    for (auto& t : threads) t.join();
}

}  // namespace qv

#pragma once
// Runs fn(i) for i in [0, n) on Qt's global thread pool, whose threads live as long as the
// process, so a list fill does not start new threads each time. fn must only touch what
// belongs to its index.
#include <QtConcurrent/QtConcurrentMap>
#include <numeric>
#include <vector>

namespace qv {

template <typename Fn>
void parallelFor(int n, Fn fn) {
    if (n <= 0) return;
    std::vector<int> indexes(size_t(n), 0);
    std::iota(indexes.begin(), indexes.end(), 0);
    QtConcurrent::blockingMap(indexes, [&fn](const int& i) { fn(i); });
}

}  // namespace qv

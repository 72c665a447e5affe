// Runs a body on several threads released at the same moment, so that their
// calls meet inside the library.
#pragma once
#include <atomic>
#include <thread>
#include <vector>

namespace elktest {

template <typename Body>
void atOnce(int count, Body body) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (!go) std::this_thread::yield();
            body(t);
        });
    while (ready < count) std::this_thread::yield();
    go = true;
    for (auto& thread : threads) thread.join();
}

}  // namespace elktest

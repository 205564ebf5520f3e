#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Runs work(i) for each i below `count`, several at a time (`workers`, or one per processor), and
// hands the results to done(i, r) in order on the calling thread; once `stop` says so no further i
// is begun.
template <typename Result>
qsizetype runInOrder(qsizetype count, const std::function<Result(qsizetype)>& work,
                     const std::function<void(qsizetype, const Result&)>& done,
                     const std::function<bool()>& stop, int workers = 0)
{
    std::vector<std::optional<std::optional<Result>>> results(count);
    std::mutex taking;
    qsizetype next = 0;
    bool stopping = false;
    std::mutex mutex;
    std::condition_variable ready;
    auto worker = [&] {
        for (;;) {
            qsizetype i = 0;
            bool begin = false;
            {
                const std::lock_guard lock(taking);
                if (next == count)
                    return;
                i = next++;
                stopping = stopping || (stop && stop());
                begin = !stopping;
            }
            std::optional<Result> result;
            if (begin)
                result = work(i);
            const std::lock_guard lock(mutex);
            results[i] = std::move(result);
            ready.notify_all();
        }
    };
    // Reading and searching keep the processors busy; writing waits for the disk, and more
    // writes under way let it sync them together.
    if (workers <= 0)
        workers =
            int(qBound(qsizetype(1), qsizetype(std::thread::hardware_concurrency()), qsizetype(8)));
    std::vector<std::thread> threads;
    for (int i = 0; i < qMin<qsizetype>(workers, count); ++i)
        threads.emplace_back(worker);
    qsizetype handed = 0;
    for (qsizetype i = 0; i < count; ++i) {
        std::optional<Result> result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].has_value(); });
            result = std::move(*results[i]);
            results[i].reset();
        }
        if (result) {
            done(i, *result);
            ++handed;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    return handed;
}

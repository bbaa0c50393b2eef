#pragma once

// What the benchmarks measure with: times, medians, this process's memory, and word texts.

#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The processor time of the whole process, all threads, in seconds: on a busy machine the
// wall time also counts the time other programs held the processor.
inline double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A line of /proc/self/status in KiB ("VmRSS:" now, "VmHWM:" the peak), or -1.
inline long statusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    const std::size_t length = std::strlen(key);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, length, key) == 0)
            return std::stol(line.substr(length));
    return -1;
}

// The time an action takes with the events it leaves behind, in milliseconds.
inline double millisecondsOf(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

// UTF-8 words as the program's code page 1250 text.
inline std::vector<std::string> inCp1250(const char* const* words, std::size_t count) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < count; ++i)
        result.push_back(toCp1250(QString::fromUtf8(words[i])));
    return result;
}

// One to three of the words, as a pair's side often is.
inline std::string phrase(const std::vector<std::string>& words, std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::string text = words[pick(random)];
    if (random() % 3 != 0)
        text += " " + words[pick(random)];
    if (random() % 6 == 0)
        text += " " + words[pick(random)];
    return text;
}

#include "graph/sweep_history.h"

#include <utility>

namespace calvex {

void SweepHistory::reset(std::size_t samples) {
    m_samples.clear();
    m_capacity = samples;
    m_first = 0;
    m_count = 0;
    m_marks.clear();
}

void SweepHistory::add(const Sample& sample) {
    if (m_capacity == 0)
        return;
    // The store grows with the sweep, up to one sweep; from then on the oldest gives way.
    if (m_samples.size() < m_capacity) {
        m_samples.push_back(sample);
        ++m_count;
        return;
    }
    m_samples[m_first] = sample;
    m_first = (m_first + 1) % m_capacity;
}

void SweepHistory::addMark(long pixel, Mark mark) {
    m_marks[pixel] = std::move(mark);
}

const SweepHistory::Sample& SweepHistory::at(std::size_t i) const {
    return m_samples[(m_first + i) % m_samples.size()];
}

ValueSpan SweepHistory::readings() const {
    ValueSpan span;
    // ValueSpan skips what is not finite: the gaps and the overloads.
    for (const Sample& sample : m_samples)
        for (const float value : sample.values)
            span.add(value);
    return span;
}

}  // namespace calvex

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Records what the null sound output is asked to do, for tests and benchmarks.

#include "platform/sound_output_backend.h"
#include "platform/sound_output_null.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class OutputLog final {
public:
    using Kind = NullOutputEvent::Kind;

    struct Entry {
        Kind kind;
        const SoundOutput *output;
        QByteArray bytes; // Write: the block's bytes
        quint32 handed_back;
        std::chrono::steady_clock::time_point at;
        SoundFormat format; // Open: what the output was opened for
    };

    OutputLog()
    {
        sound_output_null_observe([this](const NullOutputEvent &event) { record(event); });
    }

    // Players must have ended before the log goes: their outputs report to it.
    ~OutputLog() { sound_output_null_observe({}); }

    OutputLog(const OutputLog &) = delete;
    OutputLog &operator=(const OutputLog &) = delete;

    QList<Entry> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

    QList<Entry> of(Kind kind, const SoundOutput *output = nullptr) const
    {
        QList<Entry> out;
        for (const Entry &e : entries())
            if (e.kind == kind && (output == nullptr || e.output == output))
                out.append(e);
        return out;
    }

    QList<qsizetype> written_sizes(const SoundOutput *output = nullptr) const
    {
        QList<qsizetype> sizes;
        for (const Entry &e : of(Kind::Write, output))
            sizes.append(e.bytes.size());
        return sizes;
    }

    QByteArray written_bytes(const SoundOutput *output = nullptr) const
    {
        QByteArray all;
        for (const Entry &e : of(Kind::Write, output))
            all += e.bytes;
        return all;
    }

    // Waits until ready(entries) holds; false after timeout_ms.
    bool wait_until(const std::function<bool(const QList<Entry> &)> &ready, int timeout_ms) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return ready(m_entries); });
    }

    bool wait_for_count(Kind kind, int count, int timeout_ms) const
    {
        return wait_until(
            [&](const QList<Entry> &all) {
                return std::count_if(all.begin(), all.end(), [&](const Entry &e) { return e.kind == kind; }) >= count;
            },
            timeout_ms);
    }

private:
    void record(const NullOutputEvent &event)
    {
        Entry entry{event.kind, event.output, {}, event.handed_back, event.at, {}};
        if (event.kind == Kind::Write)
            entry.bytes = QByteArray(event.block->data, event.block->size);
        if (event.kind == Kind::Open)
            entry.format = event.output->format();
        {
            std::lock_guard lock(m_mutex);
            m_entries.append(entry);
        }
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QList<Entry> m_entries;
};

#pragma once

#include <QByteArray>

#include <mutex>

// The record's bytes as its own thread last serialised them. Only that thread reads the
// live record; another thread that must save (the display going away while the main
// thread is stuck) writes these, never a record caught half-way through a change.
class RecordSnapshot {
public:
    void store(QByteArray bytes)
    {
        const std::lock_guard lock(mutex_);
        bytes_ = std::move(bytes);
    }
    QByteArray bytes() const
    {
        const std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    mutable std::mutex mutex_;
    QByteArray bytes_;
};

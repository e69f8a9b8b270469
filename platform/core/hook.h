// A test seam: a function a test installs in place of one piece of the layer's real behaviour
// (showing a box, writing a batch, ...) or beside it (to watch it happen). Each folder of the
// layer declares its seams together in <folder>_hooks.h, one setter each; installing nullptr
// (an empty function) restores the real behaviour. Installed and called from any thread.
#pragma once
#include <functional>
#include <mutex>
#include <utility>

template <class Signature>
class Hook {
public:
    void Install(std::function<Signature> fn) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fn = std::move(fn);
    }
    // A copy of what is installed, to be called without the lock; empty when nothing is.
    std::function<Signature> Get() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_fn;
    }
    explicit operator bool() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<bool>(m_fn);
    }

private:
    mutable std::mutex m_mutex;
    std::function<Signature> m_fn;
};

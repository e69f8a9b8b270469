// Records every message box while it lives, answering each with a given button, instead of
// showing it.
#pragma once
#include <mutex>
#include <vector>

#include "platform/ui/msgbox.h"
#include "platform/ui/ui_hooks.h"

class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int nAnswer = IDOK) {
        SetMessageBoxHook([this, nAnswer](const MessageBoxRecord& r) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_records.push_back(r);
            return nAnswer;
        });
    }
    ~MessageBoxRecorder() { SetMessageBoxHook(nullptr); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<MessageBoxRecord> Records() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records.size();
    }
    // An empty record when none was shown.
    MessageBoxRecord Last() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records.empty() ? MessageBoxRecord{nullptr, CString(), CString(), 0}
                                 : m_records.back();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<MessageBoxRecord> m_records;
};

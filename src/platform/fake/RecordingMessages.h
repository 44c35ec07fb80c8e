#pragma once

#include "platform/Messages.h"

#include <deque>
#include <string>
#include <vector>

namespace vorin {

// Records every box instead of showing it, and answers confirmations from a
// queue (Yes when the queue is empty). Installs itself for its lifetime.
class RecordingMessages final : public Messages
{
public:
    struct Shown
    {
        enum Kind { Error, Info, Confirm } kind;
        std::string text;
        bool sound; // the box asked for the error sound
    };

    RecordingMessages() : m_previous(installMessages(this)) {}
    ~RecordingMessages() override { installMessages(m_previous); }
    RecordingMessages(const RecordingMessages &) = delete;
    RecordingMessages &operator=(const RecordingMessages &) = delete;

    void showError(std::string_view message) override
    {
        m_shown.push_back({Shown::Error, std::string(message), true});
    }
    void showSilentError(std::string_view message) override
    {
        m_shown.push_back({Shown::Error, std::string(message), false});
    }
    void showInfo(std::string_view message) override
    {
        m_shown.push_back({Shown::Info, std::string(message), false});
    }
    Answer confirm(std::string_view message) override
    {
        m_shown.push_back({Shown::Confirm, std::string(message), false});
        if (m_answers.empty())
            return Answer::Yes;
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }

    void queueAnswer(Answer a) { m_answers.push_back(a); }
    [[nodiscard]] const std::vector<Shown> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    Messages *m_previous;
    std::vector<Shown> m_shown;
    std::deque<Answer> m_answers;
};

} // namespace vorin

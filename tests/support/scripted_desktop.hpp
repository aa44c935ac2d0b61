// A desktop for tests: records every message and beep, and answers dialogs from queues, so no
// test ever waits in a modal box. An unexpected dialog fails the test instead of blocking.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/desktop.hpp"

struct ScriptedDesktop : platform::Desktop {
    struct Message {
        std::string kind;  // "Warning", "Error", "Confirm" or "Failure"
        std::string text;
        bool operator==(const Message&) const = default;
    };

    std::vector<Message> messages;
    int beeps = 0;
    std::deque<bool> confirm_answers;
    // A path confirms the dialog with that name; nullopt cancels it.
    std::deque<std::optional<std::string>> open_answers;
    std::deque<std::optional<std::string>> save_answers;
    std::vector<platform::FileDialog> dialogs_seen;
    std::string separator = ".";

    void warning(const std::string& text) override { messages.push_back({"Warning", text}); }
    void error(const std::string& text) override { messages.push_back({"Error", text}); }
    void failure(const std::string& message) override { messages.push_back({"Failure", message}); }
    bool confirm(const std::string& text) override
    {
        messages.push_back({"Confirm", text});
        if (confirm_answers.empty()) {
            ADD_FAILURE() << "unexpected confirmation: " << text;
            return false;
        }
        const bool answer = confirm_answers.front();
        confirm_answers.pop_front();
        return answer;
    }
    bool open_file(platform::FileDialog& dialog) override { return answer(open_answers, dialog); }
    bool save_file(platform::FileDialog& dialog) override { return answer(save_answers, dialog); }
    void beep() override { ++beeps; }
    std::string decimal_separator() const override { return separator; }

private:
    bool answer(std::deque<std::optional<std::string>>& answers, platform::FileDialog& dialog)
    {
        dialogs_seen.push_back(dialog);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return false;
        }
        const std::optional<std::string> chosen = answers.front();
        answers.pop_front();
        if (!chosen)
            return false;
        dialog.file_name = *chosen;
        return true;
    }
};

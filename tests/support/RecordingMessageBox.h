// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "core/ui/IMessageBox.h"

namespace quillmarch::test {

// Answers every box with a fixed button, or the next of a queue of answers while it lasts,
// and remembers what was shown.
class RecordingMessageBox : public IMessageBox {
public:
    struct SShown {
        std::string text;
        std::string caption;
        unsigned style;
    };
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        shown.push_back({text, caption, style});
        if (next < answers.size()) return answers[next++];
        return answer;
    }
    int answer = IDOK;
    std::vector<int> answers;
    std::size_t next = 0;
    std::vector<SShown> shown;
};

}  // namespace quillmarch::test
